#include "model/Rounding.h"

#include <algorithm>
#include <cmath>

double roundDecimal(double x, PrecisionRoundingRule rule)
{
    static constexpr double factors[] = { 1, 10, 100, 1000, 10000, 100000, 1000000 };
    if (rule == PrecisionRoundingRule::Zeros)
        return std::round(x);
    const double f = factors[static_cast<int>(rule)];
    return std::round(x * f) / f;
}

Matrix multiply2DArray(const Matrix& a, const Matrix& b)
{
    Matrix result;
    const size_t rows = std::min(a.size(), b.size());
    result.reserve(rows);
    for (size_t i = 0; i < rows; ++i) {
        const size_t cols = std::min(a[i].size(), b[i].size());
        std::vector<double> row(cols);
        for (size_t j = 0; j < cols; ++j)
            row[j] = a[i][j] * b[i][j];
        result.push_back(std::move(row));
    }
    return result;
}

double sum2DArray(const Matrix& a, double start)
{
    double sum = start;
    for (const auto& row : a)
        for (double v : row)
            sum += v;
    return sum;
}

double norm(const Matrix& a) { return std::sqrt(sum2DArray(multiply2DArray(a, a), 0.0)); }

Matrix scaleImageBy255(const Matrix& a)
{
    Matrix result = a;
    for (auto& row : result)
        for (double& v : row)
            v /= 255.0;
    return result;
}

double getMean2dArray(const Matrix& a)
{
    size_t count = 0;
    for (const auto& row : a)
        count += row.size();
    return sum2DArray(a, 0.0) / static_cast<double>(count);
}

Matrix getMeanDiffMatrix(const Matrix& a)
{
    const double mean = getMean2dArray(a);
    Matrix result = a;
    for (auto& row : result)
        for (double& v : row)
            v -= mean;
    return result;
}

double getMaxArray(const Matrix& a)
{
    bool any = false;
    double best = 0.0;
    for (const auto& row : a)
        for (double v : row)
            if (!any || v > best) {
                best = v;
                any = true;
            }
    return best;
}
