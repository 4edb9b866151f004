#include "gui/views/AM_ScriptReader.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/graphics/AM_Shape.h"
#include "gui/views/AM_PlaceholderControl.h"
#include "gui/views/AM_ScriptLine.h"
#include "gui/views/AM_ScriptState.h"
#include "gui/views/AM_ViewMan.h"
#include "platform/Trace.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

// The smallest width and height of a control.
constexpr float kMinControlSide = 6.0f;

bool is(const char* keyword, const char* name)
{
    return std::strcmp(keyword, name) == 0;
}

const char* orNone(const char* text)
{
    return text != nullptr ? text : "(none)";
}

// The control itself when it is a container, else its nearest enclosing
// container; the top control when there is none.
AM_ViewControl* enclosingContainer(AM_ViewControl* control, AM_ViewControl* top)
{
    for (AM_ViewControl* c = control; c != nullptr; c = c->getParentControl()) {
        if (c->isContainer())
            return c;
    }
    return top;
}

// The number of controls above a control, counting the control itself.
int32_t levelsAbove(const AM_ViewControl* control)
{
    int32_t levels = 0;
    for (const AM_ViewControl* c = control; c != nullptr; c = c->getParentControl())
        ++levels;
    return levels;
}

} // namespace

AM_ScriptReader::AM_ScriptReader(AM_ViewMan& viewMan, bool editable)
    : viewMan_(viewMan), editable_(editable)
{
}

void AM_ScriptReader::parse(const char* text, int32_t length)
{
    if (text == nullptr || length < 1)
        return;
    AM_ScriptLine line;
    size_t position = 0;
    const size_t size = size_t(length);
    // Lines are numbered as a text editor shows them: by their LF ends.
    lineNumber_ = 1;
    while (position < size) {
        const size_t start = position;
        position += line.read(text + position, size - position);
        const bool read = line.isComment() || readLine(line);
        if (!read)
            return;
        lineNumber_ += int32_t(std::count(text + start, text + position, '\n'));
    }
}

bool AM_ScriptReader::readLine(const AM_ScriptLine& line)
{
    const char* keyword = line.keyword();
    if (is(keyword, "PROPERTY"))
        readProperty(line);
    else if (is(keyword, "PARAMETER"))
        readParameter(line);
    else if (is(keyword, "CONTROL"))
        return readControl(line);
    else if (is(keyword, "GR_PROPERTY"))
        readGraphicProperty(line);
    else if (is(keyword, "GRAPHIC"))
        readGraphic(line);
    else if (is(keyword, "DEFAULT"))
        readDefault(line);
    else if (is(keyword, "V_PROPERTY"))
        readViewProperty(line);
    else if (is(keyword, "COLOUR"))
        readColour(line);
    else if (is(keyword, "LISTENER"))
        readListener(line);
    else if (is(keyword, "INCLUDE"))
        readInclude(line);
    else if (is(keyword, "ALTERNATIVE"))
        readAlternative(line);
    else if (is(keyword, "THEME"))
        return readTheme(line);
    return true;
}

AM_ViewControl* AM_ScriptReader::findControl(AM_ViewControl* from, const char* name) const
{
    if (from == nullptr || name == nullptr)
        return nullptr;
    return viewMan_.findControl(from, name);
}

bool AM_ScriptReader::readId(const AM_ScriptLine& line, int32_t row, int32_t& id)
{
    id = 0;
    line.numbers(AM_ScriptRow(row), &id, 1);
    if (id < 0) {
        AM_STD::printv("%s line with id %d skipped: ids are 0 or more", line.keyword(), int(id));
        return false;
    }
    return true;
}

void AM_ScriptReader::readProperty(const AM_ScriptLine& line)
{
    AM_ScriptState& state = *viewMan_.scriptState;
    const char* controlName = line.value(kRowPropertyControl);
    const char* name = line.value(kRowPropertyName);
    const char* value = line.value(kRowPropertyValue);
    AM_ViewControl* top = viewMan_.getTopControl();
    AM_ViewControl* control = findControl(state.lastControl, controlName);
    if (control == nullptr)
        control = findControl(state.currentContainer, controlName);
    if (control == nullptr) {
        control = findControl(top, controlName);
        if (control != nullptr)
            state.currentContainer = enclosingContainer(control, top);
    }
    if (control == nullptr)
        return;
    int32_t id = 0;
    if (!readId(line, kRowPropertyId, id))
        return;
    if (name == nullptr || value == nullptr) {
        AM_STD::printv("PROPERTY line of %s without name or value skipped", control->getName());
        return;
    }
    control->setProperty(name, id, value);
}

void AM_ScriptReader::readParameter(const AM_ScriptLine& line)
{
    AM_ScriptState& state = *viewMan_.scriptState;
    const char* controlName = line.value(kRowParameterControl);
    AM_ViewControl* control = findControl(state.lastControl, controlName);
    if (control == nullptr)
        control = findControl(viewMan_.getTopControl(), controlName);
    if (control == nullptr)
        return;
    const char* port = line.value(kRowParameterPort);
    const char* module = line.value(kRowParameterModule);
    const char* parameter = line.value(kRowParameterParameter);
    if (port == nullptr || module == nullptr || parameter == nullptr) {
        AM_STD::printv("PARAMETER line of %s without port, module or parameter skipped",
                       control->getName());
        return;
    }
    control->connectParameter(port, module, parameter, line.value(kRowParameterValueString));
}

bool AM_ScriptReader::readControl(const AM_ScriptLine& line)
{
    AM_ScriptState& state = *viewMan_.scriptState;
    const char* type = line.value(kRowControlType);
    if (type == nullptr)
        return true;
    const char* name = line.value(kRowControlName);
    if (viewMan_.getControlCount() >= kMaxControls) {
        AM_STD::printv("Script %s stops at line %d: the GUI holds %d controls, the most it takes",
                       state.files.innermost().c_str(), int(lineNumber_), int(kMaxControls));
        return false;
    }
    AM_Rect bounds{};
    const bool hasBounds = line.value(kRowControlBounds) != nullptr;
    if (hasBounds) {
        float numbers[4] = {};
        if (line.numbers(kRowControlBounds, numbers, 4) != 4 || !std::isfinite(numbers[0]) ||
            !std::isfinite(numbers[1]) || !std::isfinite(numbers[2]) ||
            !std::isfinite(numbers[3])) {
            AM_STD::printv("CONTROL %s skipped: its bounds are not four finite numbers",
                           orNone(name));
            return true;
        }
        bounds = AM_Rect{numbers[0], numbers[1], std::fmax(numbers[2], kMinControlSide),
                         std::fmax(numbers[3], kMinControlSide)};
    }
    AM_ViewControl* control = viewMan_.createControl(type, hasBounds ? &bounds : nullptr);
    if (control == nullptr) {
        AM_STD::printv("CONTROL %s skipped: unknown type %s", orNone(name), type);
        return true;
    }
    if (editable_) {
        control->setState(control->getState() | kStateEditMode);
    } else {
        control->setMarks(false, true, false);
        control->setState(control->getState() & ~kStateEditMode);
    }
    if (name != nullptr)
        control->setName(name);
    uint32_t layerMask = kAllLayers;
    if (line.numbers(kRowControlLayerMask, &layerMask, 1) != 1)
        layerMask = kAllLayers;

    AM_ViewControl* top = viewMan_.getTopControl();
    const char* parentName = line.value(kRowControlParent);
    AM_ViewControl* parent = findControl(state.currentContainer, parentName);
    if (parent == nullptr)
        parent = findControl(top, parentName);
    // The GUI lives in the root view: a control that names the top
    // control (the editor root pane) as parent goes there.
    AM_ViewControl* root = viewMan_.getRootView();
    if (parent == nullptr) {
        char text[160];
        AM_STD::sprintn(text, sizeof text,
                        "CONSISTENCY ERROR: Control %s wants parent %s, but couldn't fine it\n",
                        control->getName(), orNone(parentName));
        platform::standardOutput(text);
        parent = top;
    }
    if (parent == top && root != nullptr)
        parent = root;
    if (parent != nullptr && levelsAbove(parent) > kMaxNesting) {
        const std::string& file = state.files.innermost();
        AM_STD::printv("Script %s stops at line %d: control %s would be nested more than %d "
                       "deep",
                       file.c_str(), int(lineNumber_), control->getName(), int(kMaxNesting));
        delete control;
        return false;
    }
    if (parent != nullptr) {
        parent->addControl(control, layerMask, true);
        if (parent->isContainer())
            state.currentContainer = parent;
    } else {
        control->setLayerMask(layerMask);
        viewMan_.registerControl(control, nullptr);
    }
    state.lastControl = control;
    return true;
}

void AM_ScriptReader::readGraphicProperty(const AM_ScriptLine& line)
{
    const char* graphicName = line.value(kRowGrPropertyGraphic);
    AM_Graphic* graphic = graphicName != nullptr ? viewMan_.getGraphic(graphicName) : nullptr;
    if (graphic == nullptr) {
        AM_STD::printv("GR_PROPERTY line skipped: no graphic named '%s'", orNone(graphicName));
        return;
    }
    int32_t id = 0;
    if (!readId(line, kRowGrPropertyId, id))
        return;
    const char* name = line.value(kRowGrPropertyName);
    const char* value = line.value(kRowGrPropertyValue);
    if (name == nullptr || value == nullptr) {
        AM_STD::printv("GR_PROPERTY line of %s without name or value skipped", graphicName);
        return;
    }
    graphic->setProperty(name, id, value);
}

void AM_ScriptReader::readGraphic(const AM_ScriptLine& line)
{
    const char* type = line.value(kRowGraphicType);
    if (type == nullptr)
        return;
    const char* name = line.value(kRowGraphicName);
    AM_Graphic* graphic = name != nullptr ? viewMan_.getGraphic(name) : nullptr;
    if (graphic == nullptr && !is(type, "png") && viewMan_.getGraphicCount() >= kMaxGraphics) {
        if (!tooManyGraphicsTraced_) {
            tooManyGraphicsTraced_ = true;
            AM_STD::printv("Script %s: the GUI holds %d graphics, the most it takes; from line %d "
                           "on no graphic is made",
                           viewMan_.scriptState->files.innermost().c_str(), int(kMaxGraphics),
                           int(lineNumber_));
        }
        return;
    }
    if (graphic == nullptr) {
        // Images come from the image folders; the shapes are made here.
        AM_Shape* shape = is(type, "png")
                              ? nullptr
                              : AM_Shape::create(&viewMan_, type, viewMan_.getAlternative());
        if (shape == nullptr)
            return;
        if (name != nullptr)
            shape->setName(name);
        viewMan_.addGraphic(shape);
        int32_t path = 0;
        line.numbers(kRowGraphicPath, &path, 1);
        shape->setPathIndex(uint32_t(path >= 0 && path < viewMan_.getNumPathKinds() ? path : 0));
        graphic = shape;
    }
    if (editable_)
        graphic->setMarks(true, false, false);
    else
        graphic->setMarks(false, true, false);
}

void AM_ScriptReader::readDefault(const AM_ScriptLine& line)
{
    const char* type = line.value(kRowDefaultType);
    const char* property = line.value(kRowDefaultProperty);
    const char* value = line.value(kRowDefaultValue);
    if (type == nullptr) {
        AM_STD::printv("type NULL");
        return;
    }
    if (property == nullptr) {
        AM_STD::printv("property NULL");
        return;
    }
    if (value == nullptr) {
        AM_STD::printv("value NULL");
        return;
    }
    int32_t id = 0;
    line.numbers(kRowDefaultId, &id, 1);
    viewMan_.addPreference(type, property, value, uint32_t(id), kPreferenceScopeScript);
}

void AM_ScriptReader::readViewProperty(const AM_ScriptLine& line)
{
    const char* name = line.value(kRowVPropertyName);
    const char* value = line.value(kRowVPropertyValue);
    int32_t id = 0;
    line.numbers(kRowVPropertyId, &id, 1);
    if (name == nullptr || value == nullptr)
        return;
    viewMan_.setVProperty(name, id, value);
}

void AM_ScriptReader::readColour(const AM_ScriptLine& line)
{
    const char* name = line.value(kRowColourName);
    uint32_t rgba = 0;
    if (name == nullptr || line.numbers(kRowColourRgba, &rgba, 1) != 1 || rgba == 0)
        return;
    if (AM_Colour* colour = viewMan_.getColour(name)) {
        colour->setRGBA(rgba);
        return;
    }
    if (viewMan_.getColourCount() >= kMaxColours) {
        if (!tooManyColoursTraced_) {
            tooManyColoursTraced_ = true;
            AM_STD::printv("Script %s: the GUI holds %d colours, the most it takes; from line %d "
                           "on no colour is made",
                           viewMan_.scriptState->files.innermost().c_str(), int(kMaxColours),
                           int(lineNumber_));
        }
        return;
    }
    auto* colour = new AM_Colour(&viewMan_, name, rgba);
    viewMan_.addColour(colour);
    if (!editable_)
        colour->setMarks(true, true, false);
}

void AM_ScriptReader::readListener(const AM_ScriptLine& line)
{
    AM_ViewControl* top = viewMan_.getTopControl();
    const char* port = line.value(kRowListenerPort);
    const char* listenTo = line.value(kRowListenerListenTo);
    const char* extPort = line.value(kRowListenerExtPort);
    AM_ViewControl* control = findControl(top, line.value(kRowListenerControl));
    AM_ViewControl* other = findControl(top, listenTo);
    if (control == nullptr || other == nullptr || port == nullptr || extPort == nullptr)
        return;
    const int32_t index = control->findListener(port);
    AM_PortRecord* target = other->findPort(extPort);
    if (index >= 0 && target != nullptr) {
        control->setListener(index, target);
        return;
    }
    if (auto* placeholder = dynamic_cast<AM_PlaceholderControl*>(control))
        placeholder->keepListener(port, listenTo, extPort);
}

void AM_ScriptReader::readInclude(const AM_ScriptLine& line)
{
    if (const char* filename = line.value(kRowIncludeFilename))
        viewMan_.loadScriptByName(filename);
}

void AM_ScriptReader::readAlternative(const AM_ScriptLine& line)
{
    const char* filename = line.value(kRowAlternativeFilename);
    const char* name = line.value(kRowAlternativeName);
    if (filename != nullptr && name != nullptr)
        viewMan_.addScript(filename, name, 0, 0);
}

bool AM_ScriptReader::readTheme(const AM_ScriptLine& line)
{
    if (viewMan_.getScripts().empty()) {
        AM_STD::printv("No scripts, can't load Theme");
        return false;
    }
    const char* name = line.value(kRowThemeName);
    const AM_ScriptRecord* found = nullptr;
    for (const AM_ScriptRecord& record : viewMan_.getScripts()) {
        if (name != nullptr && record.name == name) {
            found = &record;
            break;
        }
    }
    if (found == nullptr) {
        AM_STD::printv("Script doesn't exist, can't load Theme");
        return false;
    }
    // The load may add records: keep what it needs apart.
    const std::string path = found->path;
    viewMan_.alternative_ = found->alternative;
    if (found->alternative != 0)
        viewMan_.loadScriptFile(path.c_str(), 0);
    else
        viewMan_.loadScriptByName(path.c_str());
    return true;
}
