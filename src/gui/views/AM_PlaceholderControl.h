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

    // One PARAMETER line kept as it was read.
    struct KeptParameter {
        std::string port;
        std::string module;
        std::string parameter;
        std::string valueString;
        bool hasValueString;
    };
    // One LISTENER line kept as it was read.
    struct KeptListener {
        std::string port;
        std::string listenTo;
        std::string extPort;
    };
    // Most colour and graphic slots a kept PROPERTY line may name.
    static constexpr int32_t kMaxKeptSlots = 32;

    // typeName is a registry name (static text of the type table).
    AM_PlaceholderControl(AM_ViewMan* viewMan, const AM_Rect* bounds, const char* typeName);

    const char* getTypeName() const override { return typeName_; }

    // Keeps the line (the same name and id replace the kept value).
    void setProperty(const char* name, int32_t id, const char* value) override;
    // The base's lines, then the kept PROPERTY lines other than colours and
    // graphics and the kept LISTENER lines, each in the order first read.
    void writeProperties(std::string* script) override;
    // The CONTROL line, then the kept colour and graphic PROPERTY lines and
    // the kept PARAMETER lines.
    void writeControl(std::string* script) override;
    // Keeps the PARAMETER line unbound (the same port replaces it); true.
    bool connectParameter(const char* portName, const char* module, const char* parameter,
                          const char* valueString) override;
    // Keeps a LISTENER line unbound (the same port replaces it).
    void keepListener(const char* portName, const char* listenTo, const char* extPort);

    const std::vector<KeptProperty>& keptProperties() const { return kept_; }
    const std::vector<KeptParameter>& keptParameters() const { return keptParameters_; }
    const std::vector<KeptListener>& keptListeners() const { return keptListeners_; }

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
    std::vector<KeptParameter> keptParameters_;
    std::vector<KeptListener> keptListeners_;
    // The trace has said that the bindings stay unbound.
    bool bindingsTraced_ = false;

    void traceUnbound(const char* what);
};
