#pragma once

#include <QString>

#include <optional>

// Enumerations named by texts: one table per enumeration gives both directions.
template <class E> struct RawValue {
    E value;
    const char* text;
};

template <class E, size_t N> QString rawValueOf(const RawValue<E> (&table)[N], E value)
{
    for (const auto& entry : table)
        if (entry.value == value)
            return QString::fromUtf8(entry.text);
    return {};
}

template <class E, size_t N> std::optional<E> caseFromRawValue(const RawValue<E> (&table)[N], const QString& text)
{
    for (const auto& entry : table)
        if (text == QLatin1StringView(entry.text))
            return entry.value;
    return std::nullopt;
}
