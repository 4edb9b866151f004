#include "presets/library/PresetTagger.h"

#include "foundation/AM_File.h"
#include "foundation/AM_FileOperations.h"
#include "foundation/AM_STD.h"
#include "params/AM_WholeFile.h"
#include "platform/FileErrors.h"
#include "platform/TextConversion.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace {

std::string cutName(const char* text)
{
    std::string name(text ? text : "", text ? strnlen(text, PresetTagger::kMaxNameBytes) : 0);
    name.resize(name.size() - platform::incompleteUtf8Tail(name.data(), name.size()));
    return name;
}

bool startsWithSeparator(const std::string& text)
{
    return !text.empty() && (text[0] == '/' || text[0] == '\\');
}

bool holdsLineBreak(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

// A folder line as the folder key it names: a backslash path is read with
// '/' separators.
std::string folderKey(std::string line)
{
    if (line[0] == '\\')
        for (char& c : line)
            if (c == '\\')
                c = '/';
    return line;
}

} // namespace

PresetTagger::PresetTagger(const char* moduleKey, const char* tagName,
                           const AM_Directory& rootFolder)
    : location_(rootFolder.path()), moduleKey_(cutName(moduleKey)), tagName_(cutName(tagName))
{
    const std::string fileName = tagName_ + kFileSuffix;
    filePath_ = location_.path();
    filePath_.append(AM_String(fileName.c_str()));
    readFile();
    changed_ = false;
}

void PresetTagger::readFile()
{
    bool isFolder = false;
    const std::string fileName = tagName_ + kFileSuffix;
    if (!location_.exists(AM_String(fileName.c_str()), &isFolder))
        return;
    fileExisted_ = true;
    std::vector<char> text;
    const AM_WholeFileResult result =
        isFolder ? AM_WholeFileResult{AM_WholeFileStep::kOpen, platform::fileerror::kAccessDenied}
                 : AM_readWholeFile(filePath_, text, kMaxFileBytes);
    if (!result.ok()) {
        readable_ = false;
        AM_STD::printv("PresetTagger e: %d", static_cast<int32_t>(result.error));
        AM_STD::printv("The tag file %S could not be read; it is left as it is", &filePath_);
        return;
    }
    tree_ = parse(text.data(), text.size() - 1);
}

std::unique_ptr<TagNode> PresetTagger::parse(const char* text, size_t size)
{
    std::unique_ptr<TagNode> tree;
    if (text == nullptr)
        return tree;
    size = strnlen(text, size);
    std::string folder;
    TagNode* folderAt = nullptr;
    size_t start = 0;
    while (start < size) {
        // A line ends at a line feed or a carriage return; empty lines are
        // passed over, so a CR LF pair ends one line.
        size_t end = start;
        while (end < size && text[end] != '\n' && text[end] != '\r')
            ++end;
        const size_t next = end < size ? end + 1 : size;
        std::string line(text + start, end - start);
        start = next;
        if (line.empty())
            continue;
        if (startsWithSeparator(line)) {
            folder = folderKey(std::move(line));
            folderAt = TagNode::find(tree.get(), folder);
            if (folderAt == nullptr) {
                auto node = std::make_unique<TagNode>(folder, false);
                folderAt = node.get();
                if (tree)
                    TagNode::append(tree.get(), std::move(node));
                else
                    tree = std::move(node);
            }
            continue;
        }
        if (folderAt == nullptr || TagNode::find(folderAt->firstChild.get(), line))
            continue;
        auto entry = std::make_unique<TagNode>(std::move(line), true);
        if (folderAt->firstChild)
            TagNode::append(folderAt->firstChild.get(), std::move(entry));
        else
            folderAt->firstChild = std::move(entry);
    }
    return tree;
}

TagNode* PresetTagger::folderNode(const std::string& folder) const
{
    return TagNode::find(tree_.get(), folder);
}

bool PresetTagger::isTaggable(const char* folder, const char* entry)
{
    const std::string folderText(folder ? folder : "");
    const std::string entryText(entry ? entry : "");
    return startsWithSeparator(folderText) && !holdsLineBreak(folderText) &&
           (entry == nullptr ||
            (!entryText.empty() && !startsWithSeparator(entryText) && !holdsLineBreak(entryText)));
}

bool PresetTagger::isWritable() const
{
    return readable_ && !AM_isReadOnlyFile(filePath_);
}

bool PresetTagger::addTag(const char* folder, const char* entry)
{
    const std::string folderText(folder ? folder : "");
    const std::string entryText(entry ? entry : "");
    if (!isTaggable(folder, entry)) {
        AM_STD::printv("PresetTagger: '%s' in '%s' cannot be tagged", entryText.c_str(),
                       folderText.c_str());
        return false;
    }
    TagNode* folderAt = folderNode(folderText);
    if (folderAt == nullptr) {
        auto node = std::make_unique<TagNode>(folderText, false);
        folderAt = node.get();
        if (tree_)
            TagNode::append(tree_.get(), std::move(node));
        else
            tree_ = std::move(node);
    }
    if (entry == nullptr) {
        changed_ = true;
        return true;
    }
    if (TagNode::find(folderAt->firstChild.get(), entryText))
        return true;
    auto node = std::make_unique<TagNode>(entryText, true);
    if (folderAt->firstChild)
        TagNode::append(folderAt->firstChild.get(), std::move(node));
    else
        folderAt->firstChild = std::move(node);
    changed_ = true;
    return true;
}

bool PresetTagger::removeTag(const char* folder, const char* entry)
{
    if (folder == nullptr || entry == nullptr)
        return false;
    TagNode* folderAt = folderNode(folder);
    if (folderAt == nullptr)
        return false;
    TagNode* node = TagNode::find(folderAt->firstChild.get(), entry);
    if (node == nullptr)
        return false;
    if (node == folderAt->firstChild.get())
        folderAt->firstChild = std::move(node->next);
    else
        TagNode::unlink(folderAt->firstChild.get(), node);
    changed_ = true;
    return true;
}

bool PresetTagger::hasTag(const char* folder, const char* entry) const
{
    if (folder == nullptr || entry == nullptr)
        return false;
    const TagNode* folderAt = folderNode(folder);
    return folderAt != nullptr && TagNode::find(folderAt->firstChild.get(), entry) != nullptr;
}

void PresetTagger::writeNodes(const TagNode* first, std::string& out)
{
    for (const TagNode* folder = first; folder != nullptr; folder = folder->next.get()) {
        if (folder->firstChild == nullptr)
            continue;
        out += folder->name;
        out += '\n';
        for (const TagNode* entry = folder->firstChild.get(); entry; entry = entry->next.get()) {
            out += entry->name;
            out += '\n';
        }
    }
}

bool PresetTagger::writeBack()
{
    if (!readable_)
        return false;
    if (tree_ == nullptr) {
        if (!fileExisted_)
            return true;
        AM_STD::printv("deleting tag file");
        AM_File file(filePath_);
        if (const AM_FileErr error = file.remove();
            error != 0 && error != platform::fileerror::kFileNotFound) {
            AM_STD::printv("PresetTagger couldn't delete file e: %d", static_cast<int32_t>(error));
            return false;
        }
        fileExisted_ = false;
        return true;
    }
    if (!changed_)
        return true;
    if (!fileExisted_)
        AM_STD::printv("creating tag file");
    std::string text;
    writeNodes(tree_.get(), text);
    if (const AM_FileErr error = AM_writeFileReplacing(filePath_, text.data(), text.size())) {
        AM_STD::printv("PresetTagger couldn't create file e: %d", static_cast<int32_t>(error));
        return false;
    }
    fileExisted_ = true;
    changed_ = false;
    return true;
}

PresetTagger::~PresetTagger()
{
    writeBack();
    // The rest of the chain, one tagger after the other.
    std::unique_ptr<PresetTagger> rest = std::move(next_);
    while (rest)
        rest = rest->takeNext();
}

namespace {

struct TagRegistry {
    std::mutex mutex;
    std::unique_ptr<PresetTagger> first;
    int32_t useCount = 0;
};

TagRegistry& registry()
{
    static TagRegistry instance;
    return instance;
}

} // namespace

PresetTagger* getTagger(const char* moduleKey, const char* tagName, const AM_Directory& rootFolder)
{
    TagRegistry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    ++r.useCount;
    const std::string key = cutName(moduleKey);
    const std::string tag = cutName(tagName);
    PresetTagger* last = nullptr;
    for (PresetTagger* t = r.first.get(); t != nullptr; t = t->next()) {
        if (t->moduleKey() == key && t->tagName() == tag)
            return t;
        last = t;
    }
    auto created = std::make_unique<PresetTagger>(moduleKey, tagName, rootFolder);
    PresetTagger* tagger = created.get();
    if (last)
        last->setNext(std::move(created));
    else
        r.first = std::move(created);
    return tagger;
}

void releaseTaggers()
{
    TagRegistry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    if (r.useCount > 0)
        --r.useCount;
    if (r.useCount > 0)
        return;
    if (r.first == nullptr) {
        AM_STD::printv("deleting non-exitent taglist");
        return;
    }
    // Written back under the lock, so a tagger made next reads the files as
    // these leave them.
    r.first.reset();
}

int32_t tagRegistryUseCount()
{
    TagRegistry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    return r.useCount;
}

void resetTagRegistry()
{
    TagRegistry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    r.useCount = 0;
    r.first.reset();
}
