#pragma once

#include "model/ObservableObject.h"

#include <map>
#include <vector>

// Highlight maps of the navigators: their keys are fixed for life; a choice lights exactly its own
// entry, one announced write per key, and adds none.
template <class K> void highlightOnly(Published<std::map<K, bool>>& isActive, K chosen)
{
    std::vector<K> keys;
    for (const auto& entry : isActive.get())
        keys.push_back(entry.first);
    for (K key : keys)
        isActive.modify([&](auto& map) { map[key] = key == chosen; });
}

// A key without an entry counts as not highlighted.
template <class K> bool isHighlighted(const std::map<K, bool>& isActive, K key)
{
    const auto it = isActive.find(key);
    return it != isActive.end() && it->second;
}
