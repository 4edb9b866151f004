#pragma once
// The stand-in for a registered control type whose class is not built yet:
// it answers with its type name and keeps the PROPERTY lines it is given,
// so that a script read and written again loses nothing. The first
// placeholder of each type says so on the trace.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <string>
#include <vector>

class AM_PlaceholderControl : public AM_ViewControl {
public:
    // One PROPERTY line kept as it was read.
    struct KeptProperty {
        std::string name;
        int32_t id;
        std::string value;
    };

    // typeName is a registry name (static text of the type table).
    AM_PlaceholderControl(AM_ViewMan* viewMan, const AM_Rect* bounds, const char* typeName);

    const char* getTypeName() const override { return typeName_; }

    // Keeps the line (the same name and id replace the kept value).
    void setProperty(const char* name, int32_t id, const char* value) override;
    // Writes the kept lines back, in the order they were first read, after
    // the base's lines.
    void writeProperties(std::string* script) override;

    const std::vector<KeptProperty>& keptProperties() const { return kept_; }

    // The factory of a standard type whose class is missing: a placeholder
    // of the type registered with that factory. Traces "Control type '%s'
    // not built yet: a placeholder keeps its script lines" once per type
    // and process.
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds,
                                  const char* typeName);
    // Forgets which types were announced (tests).
    static void resetAnnouncements();

private:
    const char* typeName_;
    std::vector<KeptProperty> kept_;
};
