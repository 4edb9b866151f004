#include "gui/views/AM_ViewControl.h"

#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/graphics/AM_ValueToStringObject.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewControl_ParameterUndo.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <cmath>
#include <cstring>

namespace {

// A short name as a terminated text (the field may fill all its bytes).
template <size_t N> void copyName(char (&out)[N], const char* field, size_t fieldBytes)
{
    const size_t n = fieldBytes < N - 1 ? fieldBytes : N - 1;
    std::memcpy(out, field, n);
    out[n] = '\0';
}

} // namespace

void AM_ViewControl::initPorts(int32_t portCount, const AM_PortDescriptor* ports,
                               int32_t listenerCount, const AM_ListenerDescriptor* listeners)
{
    ports_.assign(static_cast<size_t>(portCount > 0 && ports != nullptr ? portCount : 0),
                  AM_PortRecord{});
    for (size_t i = 0; i < ports_.size(); ++i) {
        ports_[i].descriptor = &ports[i];
        ports_[i].owner = this;
    }
    listenerDescriptors_ = listenerCount > 0 ? listeners : nullptr;
    listeners_.assign(
        static_cast<size_t>(listenerCount > 0 && listeners != nullptr ? listenerCount : 0),
        nullptr);
}

bool AM_ViewControl::acceptsType(const AM_PortDescriptor* descriptor, uint32_t type)
{
    if (descriptor == nullptr || descriptor->types == nullptr) {
        return false;
    }
    for (int32_t t = 0; t < descriptor->typeCount; ++t) {
        if (descriptor->types[t] == type) {
            return true;
        }
    }
    return false;
}

void AM_ViewControl::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    AM_PortRecord* port = getPort(i);
    if (port == nullptr) {
        return;
    }
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (parameter == nullptr) {
        if (host != nullptr) {
            host->registerParameterListener(port, -1, false);
        }
        port->parameter = nullptr;
        return;
    }
    if (!acceptsType(port->descriptor, parameter->type)) {
        AM_STD::printv("trying to connect wrong parameter type! %s %d %s\n", getName(), int(i),
                       parameter->longName);
        return;
    }
    port->owner = this;
    // The interface drops the port's old place when it takes the new one, so
    // it is asked while the port still names its old parameter.
    if (host != nullptr) {
        const AM_ParamInfo* old = port->parameter;
        if (parameter->type != k_meter) {
            if (host->registerParameterListener(port, static_cast<int32_t>(parameter->index),
                                                true) < 0) {
                AM_STD::printv("%s port %d not bound to %s: the parameter has all its ports\n",
                               getName(), int(i), parameter->longName);
                if (old != nullptr && old->type != k_meter) {
                    host->registerParameterListener(port, static_cast<int32_t>(old->index), true);
                }
                return;
            }
        } else if (old != nullptr) {
            host->registerParameterListener(port, -1, false);
        }
    }
    port->parameter = parameter;

    AM_ValueToStringObject* kept = port->valueToString;
    if (kept == nullptr || !kept->acceptsParameter(parameter)) {
        const uint32_t kind = parameter->kind();
        port->valueToString = (kind == k_kindFloat || kind == k_kindXYAxis) && viewMan_ != nullptr
                                  ? viewMan_->getValueToString(kGenericValueToString)
                                  : nullptr;
    }

    if (host != nullptr) {
        if (const void* value = host->getParameterValue(static_cast<int32_t>(parameter->index))) {
            setParameterValue(i, value);
        }
    }

    bool firstBound = true;
    for (int32_t p = 0; p < i && p < getNumPorts(); ++p) {
        if (ports_[static_cast<size_t>(p)].parameter != nullptr) {
            firstBound = false;
            break;
        }
    }
    if (firstBound) {
        setLabelText(parameter->longName);
    }
}

bool AM_ViewControl::connectParameter(const char* portName, const char* module,
                                      const char* parameter, const char* valueString)
{
    AM_PortRecord* port = findPort(portName);
    if (port == nullptr) {
        AM_STD::printv("AM_ViewControl::connectParameter wrong port!\n");
        return false;
    }
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const AM_ParamInfo* target = host != nullptr ? host->findParameter(module, parameter) : nullptr;
    if (target == nullptr) {
        AM_STD::printv("AM_ViewControl::connectParameter no target -> '%s' '%s'!!!\n",
                       module != nullptr ? module : "", parameter != nullptr ? parameter : "");
        return false;
    }
    if (valueString != nullptr && valueString[0] != '\0' && viewMan_ != nullptr) {
        AM_ValueToStringObject* object = viewMan_->getValueToString(valueString);
        if (object != nullptr && object->acceptsParameter(target)) {
            port->valueToString = object;
        }
    }
    setPortParameter(static_cast<int32_t>(port - ports_.data()), target);
    return port->parameter == target;
}

void AM_ViewControl::reconnectPorts(int32_t moduleIndex, bool withSiblings)
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (host != nullptr) {
        for (size_t i = 0; i < ports_.size(); ++i) {
            const AM_ParamInfo* old = ports_[i].parameter;
            if (old == nullptr) {
                continue;
            }
            const AM_ModuleRecord* module = host->getModuleInfoByIndex(moduleIndex);
            if (module == nullptr) {
                continue;
            }
            char moduleName[k_moduleShortNameBytes + 1];
            char parameterName[k_shortNameBytes + 1];
            copyName(moduleName, module->shortName, k_moduleShortNameBytes);
            copyName(parameterName, old->shortName, k_shortNameBytes);
            const AM_ParamInfo* found = host->findParameter(moduleName, parameterName);
            if (found == nullptr) {
                continue;
            }
            AM_STD::printv("%s port %d reassigned to %s:%s\n", getName(), int(i), moduleName,
                           parameterName);
            setPortParameter(static_cast<int32_t>(i), nullptr);
            setPortParameter(static_cast<int32_t>(i), found);
        }
    }
    if (auto* child = dynamic_cast<AM_ViewControl*>(getFirstChild())) {
        child->reconnectPorts(moduleIndex, true);
    }
    if (withSiblings) {
        for (AM_ViewControl* next = getNextControl(); next != nullptr;
             next = next->getNextControl()) {
            next->reconnectPorts(moduleIndex, false);
        }
    }
}

int32_t AM_ViewControl::getNumPorts() const
{
    return static_cast<int32_t>(ports_.size());
}

const AM_PortDescriptor* AM_ViewControl::getPortDescriptor(int32_t i) const
{
    return ports_[static_cast<size_t>(i)].descriptor;
}

AM_PortRecord* AM_ViewControl::findPort(const char* portName)
{
    if (portName == nullptr) {
        return nullptr;
    }
    for (AM_PortRecord& port : ports_) {
        if (port.descriptor != nullptr && std::strcmp(port.descriptor->name, portName) == 0) {
            return &port;
        }
    }
    return nullptr;
}

AM_PortRecord* AM_ViewControl::getPort(int32_t i)
{
    if (i < 0 || i >= getNumPorts()) {
        return nullptr;
    }
    return &ports_[static_cast<size_t>(i)];
}

void AM_ViewControl::changePortListenerCount(int32_t i, bool increment)
{
    AM_PortRecord* port = getPort(i);
    if (port == nullptr) {
        return;
    }
    if (increment) {
        ++port->listenerCount;
    } else if (port->listenerCount > 0) {
        --port->listenerCount;
    }
}

const void* AM_ViewControl::getValuePointer(int32_t port)
{
    (void)port;
    return nullptr;
}

void AM_ViewControl::setParameterValue(int32_t i, const void* value)
{
    const AM_PortRecord* port = getPort(i);
    if (port != nullptr && port->listenerCount > 0) {
        sendMessage(kGuiControlBit, kCtlMsgPortChanged, static_cast<uint32_t>(i),
                    const_cast<void*>(value));
    }
    redraw();
}

void AM_ViewControl::setValueFromUser(int32_t i, const void* value)
{
    sendValueToParameter(i, value);
    setParameterValue(i, value);
}

void AM_ViewControl::sendValueToParameter(int32_t i, const void* value)
{
    const AM_PortRecord* port = getPort(i);
    if (port == nullptr || port->parameter == nullptr || viewMan_ == nullptr) {
        return;
    }
    AM_View_Interface* host = viewMan_->getInterface();
    if (host == nullptr) {
        return;
    }
    const AM_ParamInfo* parameter = port->parameter;
    host->setParameterValue(static_cast<int32_t>(parameter->index), value);
    if (port->valueToString == nullptr || value == nullptr) {
        return;
    }
    AM_InfoLine* line = viewMan_->getInfoLine(0);
    if (line == nullptr) {
        return;
    }
    char text[kValueTextBytes] = {};
    port->valueToString->valueToString(parameter, static_cast<const float*>(value), text,
                                       sizeof text);
    line->subject = host->getModuleInfoByIndex(parameter->moduleIndex);
    AM_STD::sprintn(line->title, sizeof line->title, "%s", parameter->longName);
    AM_STD::sprintn(line->text, sizeof line->text, "%s", text);
    viewMan_->showInfoLine(0, true);
}

void AM_ViewControl::midiLearn(int32_t i)
{
    const AM_PortRecord* port = getPort(i);
    if (port == nullptr || viewMan_ == nullptr) {
        return;
    }
    float value = 0.0f;
    AM_View_Interface* host = viewMan_->getInterface();
    if (port->parameter != nullptr && host != nullptr && port->parameter->kind() != k_kindData) {
        if (const void* current =
                host->getParameterValue(static_cast<int32_t>(port->parameter->index))) {
            std::memcpy(&value, current, sizeof value);
        }
    }
    viewMan_->startMidiLearn(this, port->parameter, value);
}

int32_t AM_ViewControl::getNumListeners() const
{
    return static_cast<int32_t>(listeners_.size());
}

const AM_ListenerDescriptor* AM_ViewControl::getListenerDescriptor(int32_t i) const
{
    return &listenerDescriptors_[i];
}

int32_t AM_ViewControl::findListener(const char* portName)
{
    if (portName == nullptr) {
        return -1;
    }
    for (int32_t i = 0; i < getNumListeners(); ++i) {
        if (std::strcmp(listenerDescriptors_[i].name, portName) == 0) {
            return i;
        }
    }
    return -1;
}

AM_ViewControl* AM_ViewControl::ownerOf(const AM_PortRecord* port)
{
    return port != nullptr ? dynamic_cast<AM_ViewControl*>(port->owner) : nullptr;
}

bool AM_ViewControl::ownsPort(const AM_PortRecord* port) const
{
    return !ports_.empty() && port >= ports_.data() && port < ports_.data() + ports_.size();
}

bool AM_ViewControl::setListener(int32_t i, AM_PortRecord* port)
{
    if (i < 0 || i >= getNumListeners()) {
        return false;
    }
    AM_PortRecord*& entry = listeners_[static_cast<size_t>(i)];
    if (AM_ViewControl* old = ownerOf(entry)) {
        old->changePortListenerCount(static_cast<int32_t>(entry->descriptor->index), false);
    }
    entry = port;
    if (AM_ViewControl* owner = ownerOf(port)) {
        owner->changePortListenerCount(static_cast<int32_t>(port->descriptor->index), true);
    }
    return true;
}

AM_PortRecord* AM_ViewControl::getListener(int32_t i) const
{
    return i >= 0 && i < getNumListeners() ? listeners_[static_cast<size_t>(i)] : nullptr;
}

void AM_ViewControl::listenerValueChanged(int32_t i, const void* value)
{
    (void)i;
    (void)value;
}

bool AM_ViewControl::onMouseDown(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    return false;
}

void AM_ViewControl::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
}

void AM_ViewControl::onMouseUp(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
}

void AM_ViewControl::bracketBoundPorts(bool begin, const char* undoName)
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (host == nullptr) {
        return;
    }
    for (AM_PortRecord& port : ports_) {
        const AM_ParamInfo* parameter = port.parameter;
        if (parameter == nullptr) {
            continue;
        }
        host->beginEndEdit(static_cast<int32_t>(parameter->index), begin);
        if (begin && AM_ViewControl_ParameterUndo::recordsKind(parameter->kind())) {
            viewMan_->addUndo(
                new AM_ViewControl_ParameterUndo(viewMan_, undoName, parameter, this));
        }
    }
}

namespace {

// A pointer position that is not a number (or is infinite) comes from no
// real pointer; the handlers below treat it as no position at all.
bool finitePoint(const float* point)
{
    return point != nullptr && std::isfinite(point[0]) && std::isfinite(point[1]);
}

} // namespace

bool AM_ViewControl::handleMouseDown(const float* point, uint32_t buttons, uint32_t extra)
{
    if (point != nullptr && !finitePoint(point)) {
        return false;
    }
    if ((state_ & kStateEditMode) != 0) {
        return handleEditMouseDown(point, buttons, extra);
    }
    if (point == nullptr) {
        return false;
    }
    downPoint_[0] = point[0];
    downPoint_[1] = point[1];
    downButtons_ = buttons;
    mouseDown_ = 1;
    bracketBoundPorts(true, "Change Parameter");
    if (onMouseDown(point, buttons)) {
        return true;
    }
    if (viewMan_ != nullptr) {
        viewMan_->closeUndo();
    }
    bracketBoundPorts(false, nullptr);
    mouseDown_ = 0;
    return false;
}

bool AM_ViewControl::handleMouseDrag(const float* point, uint32_t buttons, uint32_t extra)
{
    if (point != nullptr && !finitePoint(point)) {
        return false;
    }
    if ((state_ & kStateEditMode) != 0) {
        return handleEditMouseDrag(point, buttons, extra);
    }
    if (point == nullptr || mouseDown_ == 0) {
        return false;
    }
    onMouseDrag(point, buttons);
    return true;
}

bool AM_ViewControl::handleMouseUp(const float* point, uint32_t buttons, uint32_t extra)
{
    // A release must still end the press; without a usable position it
    // happens where the press began.
    if (point != nullptr && !finitePoint(point)) {
        point = downPoint_;
    }
    if ((state_ & kStateEditMode) != 0) {
        return handleEditMouseUp(point, buttons, extra);
    }
    if (point == nullptr || mouseDown_ == 0) {
        return false;
    }
    onMouseUp(point, buttons);
    bracketBoundPorts(false, nullptr);
    mouseDown_ = 0;
    if (viewMan_ != nullptr) {
        viewMan_->closeUndo();
    }
    return true;
}

void AM_ViewControl::beginWheel()
{
    wheelActive_ = 1;
    if (mouseDown_ == 0 && !wheelBracketOpen_ && acceptsMouseWheel() && getNumPorts() > 0) {
        wheelBracketOpen_ = true;
        bracketBoundPorts(true, "Wheel Parameter");
    }
}

void AM_ViewControl::endWheel()
{
    // Only the edit that beginWheel opened is closed: a wheel turned during
    // a press leaves the press's edit and undo group alone.
    if (wheelActive_ != 0 && wheelBracketOpen_) {
        bracketBoundPorts(false, nullptr);
        if (viewMan_ != nullptr) {
            viewMan_->closeUndo();
        }
    }
    wheelBracketOpen_ = false;
    wheelActive_ = 0;
}

void AM_ViewControl::setLabelText(const char* text)
{
    if (isContainer()) {
        return;
    }
    if (AM_ViewControl* label = getFirstChildControl()) {
        label->receiveMessage(this, k_msgSetLabel, 0, const_cast<char*>(text));
    }
}

void AM_ViewControl::getUnionBounds(AM_Rect* rect, bool accumulate)
{
    if (rect == nullptr) {
        return;
    }
    for (AM_ViewControl* c = this; c != nullptr; c = accumulate ? c->getNextControl() : nullptr) {
        const AM_Rect bounds = c->getBounds();
        if (c == this && !accumulate) {
            *rect = bounds;
        } else {
            unionRect(rect, &bounds);
        }
        if ((c->getState() & kStateEditMode) != 0) {
            if (auto* child = dynamic_cast<AM_ViewControl*>(c->getFirstChildControl())) {
                child->getUnionBounds(rect, true);
            }
        }
    }
}

void AM_ViewControl::redraw()
{
    if (!isVisible() || viewMan_ == nullptr) {
        return;
    }
    AM_Rect area = bounds_;
    if ((state_ & kStateEditMode) != 0) {
        getUnionBounds(&area, false);
        viewMan_->invalidateRect(&area);
        return;
    }
    const AM_ViewControl* parent = getParentControl();
    if (parent != nullptr && parent->isContainer()) {
        const AM_Rect clip = parent->getBounds();
        const float left = area.x > clip.x ? area.x : clip.x;
        const float top = area.y > clip.y ? area.y : clip.y;
        const float right = area.x + area.w < clip.x + clip.w ? area.x + area.w : clip.x + clip.w;
        const float bottom = area.y + area.h < clip.y + clip.h ? area.y + area.h : clip.y + clip.h;
        area = AM_Rect{left, top, right - left, bottom - top};
        if (area.w < 0.0f || area.h < 0.0f) {
            return;
        }
    }
    viewMan_->invalidateRect(&area);
}

bool AM_ViewControl::holdsGraphic(const void* graphic) const
{
    for (const AM_Graphic* g : graphics_) {
        if (g != nullptr && g == graphic) {
            return true;
        }
    }
    return false;
}

bool AM_ViewControl::holdsColour(const void* colour) const
{
    for (const AM_Colour* c : colours_) {
        if (c != nullptr && c == colour) {
            return true;
        }
    }
    return false;
}

void AM_ViewControl::moveIndexOffset(int32_t baseIndex, int32_t offset)
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (host == nullptr) {
        return;
    }
    for (size_t i = 0; i < ports_.size(); ++i) {
        AM_PortRecord& port = ports_[i];
        if (port.parameter == nullptr ||
            static_cast<int32_t>(port.parameter->index) - port.indexOffset != baseIndex ||
            port.indexOffset == offset) {
            continue;
        }
        const int32_t index = baseIndex + offset;
        AM_ParamInfo* target = host->getParameterInfo(index, false);
        if (target == nullptr) {
            AM_STD::printv("%s port %d: no parameter %d for the offset %d\n", getName(), int(i),
                           int(index), int(offset));
            continue;
        }
        if (target->type != k_meter && host->registerParameterListener(&port, index, true) < 0) {
            // The old place was given up: take it again.
            AM_STD::printv("%s port %d not moved to %s: the parameter has all its ports\n",
                           getName(), int(i), target->longName);
            if (port.parameter->type != k_meter) {
                host->registerParameterListener(&port, static_cast<int32_t>(port.parameter->index),
                                                true);
            }
            continue;
        }
        port.indexOffset = offset;
        port.parameter = target;
        if (const void* value = host->getParameterValue(index)) {
            setParameterValue(static_cast<int32_t>(i), value);
        }
    }
}

void AM_ViewControl::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    const bool fromPrototype =
        sender != nullptr && prototype_ != nullptr && static_cast<AM_Object*>(prototype_) == sender;
    switch (message) {
    case kCtlMsgAskSelected:
        if ((state_ & kStateSelected) != 0 && sender != nullptr) {
            sender->receiveMessage(this, arg, kCtlMsgAskSelected, ptr);
        }
        break;
    case kGuiMsgSaveObjects:
        if (!isDisposed() && (state_ & kStateEditMode) != 0 && ptr != nullptr) {
            writeControl(static_cast<std::string*>(ptr));
        }
        break;
    case kGuiMsgSaveProperties:
        if (!isDisposed() && (state_ & kStateEditMode) != 0 && ptr != nullptr) {
            writeProperties(static_cast<std::string*>(ptr));
        }
        break;
    case kCtlMsgRename:
        if (renamePending_ && (state_ & kStateEditMode) != 0 && ptr != nullptr) {
            renameTo(static_cast<const char*>(ptr));
        }
        break;
    case kCtlMsgAnnounceDisposed:
        if (isDisposed()) {
            sendMessage(0, kCtlMsgGoingAway, 0, nullptr);
        }
        break;
    case kCtlMsgPrototypeGrew:
        if (fromPrototype && (state_ & kStateSelected) == 0 && ptr != nullptr) {
            const float* words = static_cast<const float*>(ptr);
            growBy(words[1], words[2], words[3], words[4], false);
        }
        break;
    case kCtlMsgPrototypeGraphic:
        if (fromPrototype) {
            setGraphic(static_cast<AM_Graphic*>(ptr), static_cast<int32_t>(arg));
        }
        break;
    case kCtlMsgPrototypeColour:
        if (fromPrototype) {
            setColour(static_cast<AM_Colour*>(ptr), static_cast<int32_t>(arg));
        }
        break;
    case kCtlMsgGraphicChanged:
        if (holdsGraphic(ptr)) {
            redraw();
        }
        break;
    case kCtlMsgColourChanged:
        if (holdsColour(ptr)) {
            redraw();
        }
        break;
    case kCtlMsgIndexOffset:
        if (ptr != nullptr) {
            int32_t offset = 0;
            std::memcpy(&offset, ptr, sizeof offset);
            moveIndexOffset(static_cast<int32_t>(arg), offset);
        }
        break;
    case kCtlMsgBringIntoView:
        if (!isVisible()) {
            if (AM_ViewControl* parent = getParentControl()) {
                parent->receiveMessage(this, kCtlMsgBringIntoView, 0, nullptr);
            }
        }
        break;
    case kCtlMsgLayerMenu:
        if (!isDisposed() && isContainer() && getNumLayers() >= 2) {
            addSelfToMenu(arg, ptr);
        }
        break;
    case kCtlMsgTypeMenu:
        if (!isDisposed() && ptr != nullptr) {
            AM_TypeMenuRequest asked{};
            std::memcpy(&asked, ptr, sizeof asked);
            asked.typeName[sizeof asked.typeName - 1] = '\0';
            const char* type = getTypeName();
            if (type != nullptr && std::strcmp(type, asked.typeName) == 0) {
                addSelfToMenu(arg, asked.chosen);
            }
        }
        break;
    case kCtlMsgContainerMenu:
        if (!isDisposed() && isContainer()) {
            addSelfToMenu(arg, ptr);
        }
        break;
    case kCtlMsgColourMenu:
        addColourChoice(sender, ptr);
        break;
    case kCtlMsgOfferPorts:
        if (!isDisposed() && getName()[0] == '_') {
            offerPorts(sender, arg, ptr);
        }
        break;
    case kCtlMsgMemoryUse:
        if (ptr != nullptr && viewMan_ != nullptr) {
            uint32_t count = 0;
            std::memcpy(&count, ptr, sizeof count);
            count += viewMan_->getControlObjectSize(factory_);
            std::memcpy(ptr, &count, sizeof count);
        }
        break;
    default:
        break;
    }

    if (message == kCtlMsgGoingAway && sender != nullptr) {
        auto* going = dynamic_cast<AM_ViewControl*>(sender);
        if (going != nullptr && going != this) {
            if (prototype_ == going) {
                AM_ViewControl* next = going->getPrototype();
                prototype_ = next != this ? next : nullptr;
            }
            // The selection chain closes over the control that goes.
            if (nextSelected_ == going) {
                AM_ViewControl* next = going->nextSelected_;
                nextSelected_ = next != this ? next : nullptr;
            }
            for (int32_t i = 0; i < getNumListeners(); ++i) {
                if (going->ownsPort(listeners_[static_cast<size_t>(i)])) {
                    setListener(i, nullptr);
                }
            }
        }
    } else if (message == kCtlMsgPortChanged && sender != nullptr) {
        auto* changed = dynamic_cast<AM_ViewControl*>(sender);
        if (changed != nullptr) {
            for (int32_t i = 0; i < getNumListeners(); ++i) {
                const AM_PortRecord* entry = listeners_[static_cast<size_t>(i)];
                if (changed->ownsPort(entry) && entry->descriptor != nullptr &&
                    entry->descriptor->index == arg) {
                    listenerValueChanged(i, ptr);
                }
            }
        }
    }
    AM_GuiObject::receiveMessage(sender, message, arg, ptr);
}
