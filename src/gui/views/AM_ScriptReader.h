#pragma once
// Reads GUI-script text into a view manager: one line at a time, each
// keyword's line turned into controls, colours, graphics, bindings,
// listeners, preferences and nested script loads. A line the reader cannot
// use is skipped (most with a line on the trace); only a THEME line that
// names no script, a control nested deeper than kMaxNesting and a control
// past kMaxControls end the text early (the trace names the line).
//
// A GUI many times the size of any real one still opens in proportion to its
// size: controls are found by name through the view manager's index, and the
// view manager takes at most kMaxControls controls, kMaxColours colours and
// kMaxGraphics graphics from scripts (past them, messages between controls,
// which reach every control, would grow with the square of the count).
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
    // The most controls, colours and graphics of a view manager (the
    // instrument's GUI and the editor's own have about 320 controls, 30
    // colours and 250 images).
    static constexpr int32_t kMaxControls = 4096;
    static constexpr int32_t kMaxColours = 4096;
    static constexpr int32_t kMaxGraphics = 4096;

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
    AM_ViewControl* findControl(AM_ViewControl* from, const char* name) const;
    // The id of a PROPERTY or GR_PROPERTY line: 0 when absent, false (traced)
    // when negative.
    static bool readId(const AM_ScriptLine& line, int32_t row, int32_t& id);

    AM_ViewMan& viewMan_;
    bool editable_;
    // The number of the line being read (1 for the first).
    int32_t lineNumber_ = 0;
    // The text has said that it holds more colours / graphics than taken.
    bool tooManyColoursTraced_ = false;
    bool tooManyGraphicsTraced_ = false;
};
