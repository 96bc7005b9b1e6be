#pragma once

#include "model/Geometry.h"
#include "model/ImageProperty.h"
#include "viewmodel/ImageManager.h"

#include <cstddef>
#include <optional>

// The shown image with its canvas state, read together so no array is indexed past its end.
struct CurrentImage {
    ImagePtr image;
    std::size_t index;
    Point start;
    Size offset;
    double zoom;
};

inline std::optional<CurrentImage> currentImage(const ImageManager& manager)
{
    if (!manager.hasCurrentImage())
        return std::nullopt;
    const auto i = static_cast<std::size_t>(manager.currentImageIndex.get());
    if (i >= manager.allStartLocations.get().size() || i >= manager.allOffset.get().size()
        || i >= manager.allCurrentScaleFactors.get().size())
        return std::nullopt;
    return CurrentImage { manager.allImages.get()[i], i, manager.allStartLocations.get()[i], manager.allOffset.get()[i],
        manager.allCurrentScaleFactors.get()[i] };
}
