// The view manager's preference store and the process-wide author text.

#include "foundation/AM_STD.h"
#include "gui/views/AM_InstanceRecord.h"
#include "gui/views/AM_ViewMan.h"

#include <cstring>

namespace {

char g_author[AM_ViewMan::kAuthorBytes] = {};

// Longest joined "type:property:value" of a stored preference (scopes 0 and
// 1): its V_PROPERTY line must stay within the line length that the UI
// preference file is read with.
constexpr size_t kMaxStoredPreferenceText = 200;
// Longest single text of a script preference (scope 2 and above).
constexpr size_t kMaxScriptPreferenceText = 255;
// Room for a formatted default number.
constexpr size_t kMaxDefaultText = 64;

bool fitsScope(const char* type, const char* property, const char* value, uint32_t scope)
{
    const size_t t = std::strlen(type);
    const size_t p = std::strlen(property);
    const size_t v = std::strlen(value);
    if (scope < kPreferenceScopeScript) {
        return t + p + v + 2 <= kMaxStoredPreferenceText;
    }
    return t <= kMaxScriptPreferenceText && p <= kMaxScriptPreferenceText &&
           v <= kMaxScriptPreferenceText;
}

// Whether the text starts like a number ("%d" or "%f" reads something).
bool startsLikeNumber(const char* text)
{
    const char* p = text;
    while (*p == ' ') {
        ++p;
    }
    if (*p == '-' || *p == '+') {
        ++p;
    }
    if (*p == '.') {
        ++p;
    }
    return *p >= '0' && *p <= '9';
}

// The stored number of the key read with `format`; when the key is missing,
// the default formatted the same way is stored with the script's
// preferences and returned.
template <typename Number, typename Printed>
Number numberPreference(AM_ViewMan* vm, const char* type, const char* property, uint32_t id,
                        Number defaultValue, const char* format, Printed printed)
{
    if (const char* text = vm->findPreference(type, property, id)) {
        Number value{};
        if (startsLikeNumber(text) && AM_STD::scanv(text, format, &value) > 0) {
            return value;
        }
        return defaultValue;
    }
    char text[kMaxDefaultText];
    AM_STD::sprintn(text, sizeof text, format, printed);
    vm->addPreference(type, property, text, id, kPreferenceScopeScript);
    return defaultValue;
}

} // namespace

const char* AM_ViewMan::getAuthor()
{
    return g_author;
}

bool AM_ViewMan::setAuthor(const char* author)
{
    const char* text = author != nullptr ? author : "";
    if (!AM_isWritableScriptName(text)) {
        AM_STD::printv("Author refused (a quote, tab, '=' or line break): %s", text);
        return false;
    }
    AM_STD::sprintn(g_author, sizeof g_author, "%s", text);
    return true;
}

bool AM_ViewMan::addPreference(const char* type, const char* property, const char* value,
                               uint32_t id, uint32_t scope)
{
    if (type == nullptr || property == nullptr || value == nullptr) {
        AM_STD::printv("Preference refused: a text is missing");
        return false;
    }
    AM_InstanceRecord* record = getInstanceRecord();
    AM_PreferenceRecord* existing = nullptr;
    if (record != nullptr) {
        existing = record->preferences.find(type, property, id);
    }
    if (existing == nullptr) {
        existing = preferences_.find(type, property, id);
    }
    // An existing record keeps its scope; the texts must suit it.
    const uint32_t effectiveScope = existing != nullptr ? existing->scope : scope;
    if (!AM_isWritablePreferenceText(type, effectiveScope) ||
        !AM_isWritablePreferenceText(property, effectiveScope) ||
        !AM_isWritablePreferenceText(value, effectiveScope)) {
        AM_STD::printv("Preference %s %s %d refused: a text holds a quote, tab, '=', line "
                       "break or (stored) ':'",
                       type, property, int(id));
        return false;
    }
    if (!fitsScope(type, property, value, effectiveScope)) {
        AM_STD::printv("Preference %s %s %d refused: too long", type, property, int(id));
        return false;
    }
    if (existing != nullptr) {
        existing->value = value;
        return true;
    }
    if (scope < kPreferenceScopeScript) {
        if (record == nullptr) {
            AM_STD::printv("no Inst rec to add prefs into");
            return false;
        }
        record->preferences.append(type, property, value, id, scope);
        return true;
    }
    preferences_.append(type, property, value, id, scope);
    return true;
}

const char* AM_ViewMan::findPreference(const char* type, const char* property, uint32_t id)
{
    if (type == nullptr || property == nullptr) {
        return nullptr;
    }
    AM_InstanceRecord* record = getInstanceRecord();
    if (record == nullptr) {
        AM_STD::printv("no Inst rec to provide for prefs");
    } else if (const AM_PreferenceRecord* found = record->preferences.find(type, property, id)) {
        return found->value.c_str();
    }
    const AM_PreferenceRecord* own = preferences_.find(type, property, id);
    return own != nullptr ? own->value.c_str() : nullptr;
}

int32_t AM_ViewMan::getIntPreference(const char* type, const char* property, uint32_t id,
                                     int32_t defaultValue)
{
    return numberPreference(this, type, property, id, defaultValue, "%d", int(defaultValue));
}

float AM_ViewMan::getFloatPreference(const char* type, const char* property, uint32_t id,
                                     float defaultValue)
{
    return numberPreference(this, type, property, id, defaultValue, "%f", double(defaultValue));
}

const char* AM_ViewMan::getStringPreference(const char* type, const char* property, uint32_t id,
                                            const char* defaultValue)
{
    if (const char* text = findPreference(type, property, id)) {
        return text;
    }
    if (defaultValue == nullptr) {
        return nullptr;
    }
    if (addPreference(type, property, defaultValue, id, kPreferenceScopeScript)) {
        if (const char* stored = findPreference(type, property, id)) {
            return stored;
        }
    }
    return defaultValue;
}

void AM_ViewMan::resetProcessState()
{
    g_author[0] = '\0';
    AM_InstanceRecord::resetAll();
}
