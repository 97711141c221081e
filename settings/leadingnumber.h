// The numeric value of typed text the way the settings fields read it: the number the text
// begins with.
#pragma once

#include <QString>

#include <cstdint>

// The decimal number at the start of text (after blanks): sign, digits, fraction and exponent;
// 0 when the text does not begin with a number ("12abc" gives 12).
double LeadingNumber(const QString& text);
// LeadingNumber rounded to the nearest integer, halves to even, held within the 32-bit range.
int32_t LeadingNumberInt32(const QString& text);
