#include "random.h"

#include <cstdlib>

float randomSign()
{
    return (std::rand() % 2 == 0) ? -1.0f : 1.0f;
}

float randomUnit()
{
    return static_cast<float>(std::rand() % 1000) / 1000.0f;
}

float randomSigned()
{
    return static_cast<float>(std::rand() % 2000 - 1000) / 1000.0f;
}
