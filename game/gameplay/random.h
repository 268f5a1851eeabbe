#pragma once

// Each draws exactly one rand() value.
float randomSign();    // -1 for an even draw, +1 for an odd one
float randomUnit();    // 0, 0.001 ... 0.999
float randomSigned();  // -1.000 ... 0.999
