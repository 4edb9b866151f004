#pragma once
// Character classes of the script language.

namespace script::lexer {

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
inline bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool isNameStart(char c)
{
    return isLetter(c) || c == '$' || c == '_';
}
inline bool isNameChar(char c)
{
    return isNameStart(c) || isDigit(c);
}
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Characters with a meaning of their own (operators and separators).
inline bool isPunctuation(char c)
{
    switch (c) {
    case ';':
    case ',':
    case '(':
    case ')':
    case '[':
    case ']':
    case '{':
    case '}':
    case '=':
    case '+':
    case '-':
    case '*':
    case '/':
    case '<':
    case '>':
    case '!':
    case '.':
        return true;
    default:
        return false;
    }
}

// Control characters other than tab and the line ends, and bytes of 128
// and above.
inline bool isStrangeByte(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return (code < 0x20 && c != '\t' && c != '\n' && c != '\r') || code >= 0x80;
}

// Characters that are logged and skipped without any effect.
inline bool isSkipped(char c, char next)
{
    if (c == 0 || isNameChar(c) || isPunctuation(c))
        return false;
    if (c == '?')
        return next != '>';
    return true;
}

} // namespace script::lexer
