#include "win32/MulDiv.h"

#include <cstdint>
#include <cstdlib>

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    long long product = static_cast<long long>(number) * numerator;
    long long divisor = denominator;
    bool negative = (product < 0) != (divisor < 0);
    long long magnitude = (std::llabs(product) + std::llabs(divisor) / 2) / std::llabs(divisor);
    long long result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX || result < INT32_MIN)
        return -1;
    return static_cast<int>(result);
}
