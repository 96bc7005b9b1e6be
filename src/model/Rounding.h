#pragma once

#include <vector>

enum class PrecisionRoundingRule { Zeros, Ones, Twos, Threes, Fours, Fives, Sixs };

// Halves away from zero; the product x * 10^k is an ordinary double product, so its own rounding
// decides on which side of a half a value falls (1.005 with Twos gives 1.0).
double roundDecimal(double x, PrecisionRoundingRule rule = PrecisionRoundingRule::Zeros);

using Matrix = std::vector<std::vector<double>>;

Matrix multiply2DArray(const Matrix& a, const Matrix& b);
double sum2DArray(const Matrix& a, double start = 0.0);
double norm(const Matrix& a);
Matrix scaleImageBy255(const Matrix& a);
double getMean2dArray(const Matrix& a);
Matrix getMeanDiffMatrix(const Matrix& a);
double getMaxArray(const Matrix& a);
