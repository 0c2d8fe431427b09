#include "ui/StateImages.h"

#include <algorithm>
#include <stdexcept>

#include "framework/Handles.h"
#include "ui/StateImagePixels.h"

void FillStateImages(fw::TImageList* images, int size) {
    images->Resize(size, size);
    for (int image : {0, 1}) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = size;
        bi.bmiHeader.biHeight = -size;  // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        fw::THBitmap bitmap(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap || !bits) throw std::runtime_error("Cannot create the list's state images");
        const std::vector<std::uint32_t> pixels = StateImagePixels(image, size);
        std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
        images->AddBitmap(bitmap.Get());
    }
}
