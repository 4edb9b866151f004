// The wire list of the patch-wire targets: the messages between sockets,
// the ids of the targets, and the wire text that stores which cords are
// chained on which.

#include "gui/controls/AM_View_WireIn.h"

#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "gui/controls/AM_View_WireOut.h"
#include "gui/controls/AM_WireShared.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <cstring>

namespace {

// Message 48: a script was loaded.
constexpr uint32_t kMsgScriptLoaded = 48;
// Message 60 with this argument counts every target.
constexpr uint32_t kCountAll = 99;
constexpr uint32_t kIdBase = 62;
constexpr uint32_t kHashFactor = 37;
// The most ids tried for one target before it is listed without one.
constexpr uint32_t kMaxIdSteps = kIdBase * kIdBase * kIdBase;
// A record of the wire text: "abc>def:".
constexpr size_t kRecordLength = 8;
constexpr char kProxyMark = '>';
constexpr char kRecordEnd = ':';

uint32_t hashText(uint32_t h, const char* text, size_t bytes)
{
    for (size_t i = 0; i < bytes && text[i] != '\0'; ++i) {
        const auto c = static_cast<int32_t>(static_cast<signed char>(text[i]));
        h = h * kHashFactor + static_cast<uint32_t>(c);
    }
    return h;
}

char digit62(uint32_t d)
{
    if (d < 10) {
        return static_cast<char>('0' + d);
    }
    if (d < 36) {
        return static_cast<char>('a' + (d - 10));
    }
    return static_cast<char>('A' + (d - 36));
}

} // namespace

void AM_View_WireIn::formatWireId(uint32_t hash, char id[kWireIdBytes])
{
    for (size_t i = 0; i + 1 < kWireIdBytes; ++i) {
        id[i] = digit62(hash % kIdBase);
        hash /= kIdBase;
    }
    id[kWireIdBytes - 1] = '\0';
}

uint32_t AM_View_WireIn::wireHash() const
{
    const AM_PortRecord* port = const_cast<AM_View_WireIn*>(this)->getPort(kParamPort);
    const AM_ParamInfo* parameter = port != nullptr ? port->parameter : nullptr;
    if (parameter == nullptr) {
        return 0;
    }
    uint32_t h = hashText(0, parameter->longName, sizeof parameter->longName);
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (const AM_ModuleRecord* module =
            host != nullptr ? host->getModuleInfoByIndex(parameter->moduleIndex) : nullptr) {
        h = hashText(h, module->longName, sizeof module->longName);
    }
    return h;
}

bool AM_View_WireIn::idInList(const char* id, const ListEntry* list, uint32_t count) const
{
    for (uint32_t i = 0; i < count; ++i) {
        if (list[i].wire != nullptr && list[i].wire != this && std::strcmp(list[i].id, id) == 0) {
            return true;
        }
    }
    return false;
}

void AM_View_WireIn::registerInList(AM_Object* sender, uint32_t count, ListEntry* list)
{
    listKeeper_ = dynamic_cast<AM_View_WireIn*>(sender);
    if (list == nullptr) {
        return;
    }
    const uint32_t hash = wireHash();
    for (uint32_t k = 0; k < kMaxIdSteps; ++k) {
        formatWireId(hash + k, wireId_);
        if (!idInList(wireId_, list, count)) {
            break;
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (list[i].wire == nullptr && list[i].id[0] == '\0') {
            std::memcpy(list[i].id, wireId_, kWireIdBytes);
            list[i].wire = this;
            return;
        }
    }
}

void AM_View_WireIn::scriptLoaded()
{
    if (!wireText_.empty()) {
        int32_t counter = 1;
        sendMessage(0, kWireMsgCount, kCountAll, &counter);
        wireList_.assign(size_t(counter > 0 ? counter : 1), ListEntry{{}, nullptr});
        const auto count = static_cast<uint32_t>(wireList_.size());
        registerInList(this, count, wireList_.data());
        sendMessage(0, kWireMsgRegister, count, wireList_.data());
    }
    if (AM_Colour* colour = AM_WireShared::nextCordColour(viewMan_)) {
        setWireColour(colour);
    }
    if (viewMan_ != nullptr) {
        if (const char* name = viewMan_->findPreference(kWirePrefType, kWirePrefProperty, kWirePrefId)) {
            for (int32_t s = 0; s < kWireStyleCount; ++s) {
                if (std::strcmp(name, wireStyleName(s)) == 0) {
                    AM_WireShared::setStyle(s);
                }
            }
        }
    }
    style_ = AM_WireShared::style();
    if (sourcePending_ != 0) {
        const int64_t index = int64_t(value_) - minimum_;
        source_ = findSourceFor(value_);
        if (source_ != nullptr) {
            sourcePending_ = 0;
            if (value_ != 0 && viewMan_ != nullptr) {
                viewMan_->setTopLayerControl(this, true);
            }
            updateWireGeometry(true);
        } else {
            AM_STD::printv("oopsie, still no Wiresource: %s - %s%s\n", getName(), kWireSourcePrefix,
                           getValueName(int32_t(index)) != nullptr ? getValueName(int32_t(index))
                                                                   : "");
        }
    }
    applyWireText();
}

void AM_View_WireIn::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
    switch (message) {
    case kMsgScriptLoaded:
        scriptLoaded();
        break;
    case kWireMsgCount:
        if (ptr != nullptr &&
            ((source_ != nullptr && sender == static_cast<AM_Object*>(source_)) ||
             arg == kCountAll)) {
            ++*static_cast<int32_t*>(ptr);
        }
        break;
    case kWireMsgRegister:
        registerInList(sender, arg, static_cast<ListEntry*>(ptr));
        break;
    case kWireMsgSourceMoved:
        if (source_ != nullptr && sender == static_cast<AM_Object*>(source_)) {
            if (ptr == nullptr) {
                const float zero = 0.0f;
                setValueFromUser(kParamPort, &zero);
            } else {
                setProperty(kWireUpProperty, 0, static_cast<const char*>(ptr));
            }
        }
        break;
    case kWireMsgCordRehung:
        if (auto* from = dynamic_cast<AM_View_WireIn*>(sender)) {
            cordRehung(from, static_cast<AM_View_WireIn*>(ptr));
        }
        break;
    case kWireMsgStyle:
        if (arg < uint32_t(kWireStyleCount)) {
            style_ = static_cast<int32_t>(arg);
            invalidateWire();
        }
        break;
    case kCtlMsgGoingAway:
        if (sender == static_cast<AM_Object*>(source_)) {
            source_ = nullptr;
        }
        if (sender == static_cast<AM_Object*>(proxy_)) {
            proxy_ = nullptr;
        }
        if (sender == static_cast<AM_Object*>(listKeeper_)) {
            listKeeper_ = nullptr;
        }
        for (ListEntry& entry : wireList_) {
            if (sender == static_cast<AM_Object*>(entry.wire)) {
                entry.wire = nullptr;
            }
        }
        break;
    default:
        break;
    }
}

void AM_View_WireIn::cordRehung(AM_View_WireIn* sender, AM_View_WireIn* next)
{
    if (next == this) {
        // This target takes the sender's place in the chain.
        proxy_ = sender->proxy_ != this ? sender->proxy_ : nullptr;
        if (proxy_ != nullptr && proxy_->value_ != value_) {
            AM_STD::printv("Proxy error? %s %d <-> %s %d\n", getName(), int(value_),
                           proxy_->getName(), int(proxy_->value_));
        }
        updateWireGeometry(true);
        invalidateWire();
        return;
    }
    if (proxy_ == nullptr || sender != proxy_) {
        return;
    }
    if (next != nullptr) {
        AM_STD::printv("from %s\n", proxy_->getName());
        AM_STD::printv("to %s\n", next->getName());
        proxy_ = next;
        if (next->value_ != value_) {
            AM_STD::printv("Proxy error!?! %s %d <-> %s %d\n", getName(), int(value_),
                           next->getName(), int(next->value_));
        }
        if (next->source_ != nullptr) {
            setProperty(kWireUpProperty, 0, next->source_->getName());
        }
    }
    if (next == nullptr || next->source_ == nullptr) {
        proxy_ = nullptr;
        source_ = nullptr;
        const float zero = 0.0f;
        setValueFromUser(kParamPort, &zero);
    }
}

AM_View_WireIn* AM_View_WireIn::findWire(const char* id) const
{
    if (id == nullptr) {
        return nullptr;
    }
    for (const ListEntry& entry : wireList_) {
        if (entry.wire != nullptr && std::strncmp(entry.id, id, sizeof entry.id) == 0) {
            return entry.wire;
        }
    }
    return nullptr;
}

void AM_View_WireIn::updateWireText(AM_View_WireIn* changed)
{
    (void)changed;
    if (wireList_.empty() || wireText_.empty()) {
        return;
    }
    std::fill(wireText_.begin(), wireText_.end(), '\0');
    size_t length = 0;
    for (const ListEntry& entry : wireList_) {
        const AM_View_WireIn* wire = entry.wire;
        if (wire == nullptr || wire->proxy_ == nullptr) {
            continue;
        }
        // Records that do not fit the text parameter are left out whole.
        if (length + kRecordLength > wireText_.size() - 1) {
            AM_STD::printv("wire text full: %s>%s left out\n", wire->wireId_,
                           wire->proxy_->wireId_);
            continue;
        }
        std::memcpy(wireText_.data() + length, wire->wireId_, kWireIdBytes - 1);
        wireText_[length + 3] = kProxyMark;
        std::memcpy(wireText_.data() + length + 4, wire->proxy_->wireId_, kWireIdBytes - 1);
        wireText_[length + 7] = kRecordEnd;
        length += kRecordLength;
    }
    AM_STD::printv("%s\n", wireText_.data());
    setValueFromUser(kTextPort, wireText_.data());
}

void AM_View_WireIn::applyWireText()
{
    if (wireList_.empty() || wireText_.empty()) {
        return;
    }
    for (const ListEntry& entry : wireList_) {
        if (AM_View_WireIn* wire = entry.wire; wire != nullptr && wire->proxy_ != nullptr) {
            wire->invalidateWire();
            wire->proxy_ = nullptr;
            wire->updateWireGeometry(true);
            wire->invalidateWire();
        }
    }
    // The text is read within its buffer: a copy that always ends.
    std::vector<char> text(wireText_.begin(), wireText_.end());
    text.back() = '\0';
    AM_View_WireIn* chained = nullptr;
    bool proxyNext = false;
    size_t begin = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != kProxyMark && c != kRecordEnd && c != '\0') {
            continue;
        }
        text[i] = '\0';
        const char* id = text.data() + begin;
        AM_View_WireIn* wire = findWire(id);
        if (!proxyNext) {
            chained = wire;
        } else if (chained != nullptr && wire != nullptr && chained != wire &&
                   chained->value_ == wire->value_) {
            chained->proxy_ = wire;
            chained->updateWireGeometry(true);
            chained->invalidateWire();
        }
        if (c == '\0') {
            break;
        }
        proxyNext = c == kProxyMark;
        begin = i + 1;
    }
}
