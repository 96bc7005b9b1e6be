#pragma once

#include "model/Identity.h"

#include <QString>

#include <cstdint>

// One row of the class statistics: a label and how many shown boxes carry it.
struct ChartData {
    ChartData(QString name, std::int64_t count)
        : className(std::move(name))
        , classValueCounts(count)
    {
    }

    QString id = newIdentity();
    QString className;
    std::int64_t classValueCounts;
};
