#include "gui/graphics/text/AM_TextWrap.h"

#include <algorithm>

std::vector<std::string> AM_wrapText(const std::string& text, float width, int maxLines,
                                     const std::function<float(const std::string&)>& measure)
{
    std::vector<std::string> lines;
    const size_t most = size_t(std::max(maxLines, 1));
    size_t start = 0;
    while (lines.size() < most) {
        const size_t lf = text.find('\n', start);
        const size_t end = lf == std::string::npos ? text.size() : lf;
        std::string line;
        size_t p = start;
        while (p < end) {
            const size_t space = std::min(text.find(' ', p), end);
            const std::string word = text.substr(p, space - p);
            const std::string tried = line.empty() ? word : line + " " + word;
            if (!line.empty() && measure(tried) > width) {
                if (lines.size() + 1 == most)
                    break;
                lines.push_back(line);
                line = word;
            } else {
                line = tried;
            }
            p = space + 1;
        }
        // Where the text not on this line starts: the word that did not fit,
        // or the next paragraph.
        const size_t rest = p < end ? p : (lf == std::string::npos ? text.size() : lf + 1);
        if (lines.size() + 1 == most && rest < text.size()) {
            // The last line takes the rest, its line ends as spaces.
            std::string more = text.substr(rest);
            std::replace(more.begin(), more.end(), '\n', ' ');
            line += (line.empty() ? "" : " ") + more;
            lines.push_back(line);
            break;
        }
        lines.push_back(line);
        if (lf == std::string::npos)
            break;
        start = lf + 1;
    }
    return lines;
}
