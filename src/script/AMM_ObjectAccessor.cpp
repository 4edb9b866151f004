#include "script/AMM_ObjectAccessor.h"

#include <cstring>

AMM_ObjectAccessor::AMM_ObjectAccessor()
{
    for (int32_t i = 0; i < script::kMaxNameParts; ++i) {
        indexValues[i] = 0;
        indexSlots[i] = static_cast<uint8_t>(script::kNoRegister);
    }
}

void AMM_ObjectAccessor::refreshIndexValues(const int32_t* intRegisters)
{
    for (int32_t i = 0; i < script::kMaxNameParts; ++i)
        if (indexSlots[i] != script::kNoRegister)
            indexValues[i] = static_cast<int16_t>(intRegisters[indexSlots[i]]);
}

AMM_ObjectMethod::AMM_ObjectMethod()
{
    std::memset(parameterLetters, 0, sizeof(parameterLetters));
    std::memset(arguments, 0, sizeof(arguments));
}

bool AMM_ObjectMethod::setSignature(const char* letters)
{
    size_t length = std::strlen(letters);
    if (length < 1 || length > static_cast<size_t>(script::kMaxParameters) + 1)
        return false;
    resultLetter = letters[0];
    std::memset(parameterLetters, 0, sizeof(parameterLetters));
    std::memcpy(parameterLetters, letters + 1, length - 1);
    letterCount = static_cast<uint32_t>(length);
    return true;
}

float AMM_ObjectMethod::floatArgument(int32_t k) const
{
    if (k < 0 || k >= script::kMaxParameters)
        return 0.0f;
    float value;
    std::memcpy(&value, &arguments[k], sizeof(value));
    return value;
}

int32_t AMM_ObjectMethod::intArgument(int32_t k) const
{
    if (k < 0 || k >= script::kMaxParameters)
        return 0;
    return static_cast<int32_t>(arguments[k]);
}
