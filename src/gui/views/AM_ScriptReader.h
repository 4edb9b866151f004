#pragma once
// Reads GUI-script text into a view manager: one line at a time, each
// keyword's line turned into controls, colours, graphics, bindings,
// listeners, preferences and nested script loads. A line the reader cannot
// use is skipped (most with a line on the trace); only a THEME line that
// names no script, and a control nested deeper than kMaxNesting, end the
// text early (the trace names the line).
//
// GUI thread only.

#include <cstdint>

class AM_ScriptLine;
class AM_ViewControl;
class AM_ViewMan;

class AM_ScriptReader {
public:
    // editable: the objects made are part of the editable GUI (saved again);
    // otherwise they are marked not saveable.
    AM_ScriptReader(AM_ViewMan& viewMan, bool editable);

    // Reads length bytes of text (which need not end in a zero byte).
    void parse(const char* text, int32_t length);

    // The most controls above any control of the GUI (the editor's root
    // pane and the root view counted): every walk of the tree recurses
    // once per level, and this keeps the deepest within a small part of a
    // GUI thread's stack.
    static constexpr int32_t kMaxNesting = 128;

private:
    // False when the line ends the text.
    bool readLine(const AM_ScriptLine& line);
    void readProperty(const AM_ScriptLine& line);
    void readParameter(const AM_ScriptLine& line);
    // False when the control would be nested too deep (the text ends).
    bool readControl(const AM_ScriptLine& line);
    void readGraphicProperty(const AM_ScriptLine& line);
    void readGraphic(const AM_ScriptLine& line);
    void readDefault(const AM_ScriptLine& line);
    void readViewProperty(const AM_ScriptLine& line);
    void readColour(const AM_ScriptLine& line);
    void readListener(const AM_ScriptLine& line);
    void readInclude(const AM_ScriptLine& line);
    void readAlternative(const AM_ScriptLine& line);
    bool readTheme(const AM_ScriptLine& line);

    // The control of that name in the subtree of `from` (null from or name:
    // none).
    static AM_ViewControl* findControl(AM_ViewControl* from, const char* name);
    // The id of a PROPERTY or GR_PROPERTY line: 0 when absent, false (traced)
    // when negative.
    static bool readId(const AM_ScriptLine& line, int32_t row, int32_t& id);

    AM_ViewMan& viewMan_;
    bool editable_;
    // The number of the line being read (1 for the first).
    int32_t lineNumber_ = 0;
};
