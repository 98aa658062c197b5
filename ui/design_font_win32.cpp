#include "ui/design_font.h"

#include <cstdlib>
#include <memory>

namespace {

// Scalable faces close to the design's, in order of preference; the first is the outline
// successor of "MS Sans Serif".
constexpr const char* kScalableFaces[] = {"Microsoft Sans Serif", "Tahoma", "Arial"};

struct MemoryDcDeleter {
    void operator()(HDC dc) const noexcept {
        if (dc != nullptr) {
            DeleteDC(dc);
        }
    }
};
using UniqueMemoryDc = std::unique_ptr<HDC__, MemoryDcDeleter>;

UniqueFont Make(const char* face, int emPixels, int weight, bool underline) {
    LOGFONTA font{};
    font.lfHeight = -emPixels;
    font.lfWeight = weight;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return UniqueFont(CreateFontIndirectA(&font));
}

// Whether the font the system draws for `font` is `face` with an em of emPixels (one pixel
// either way: bitmap sizes are rounded).
bool DrawsAs(HDC dc, HFONT font, const char* face, int emPixels) {
    if (dc == nullptr || font == nullptr) {
        return false;
    }
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    char drawn[LF_FACESIZE] = {};
    const bool measured =
        GetTextMetricsA(dc, &metrics) != FALSE && GetTextFaceA(dc, LF_FACESIZE, drawn) > 0;
    SelectObject(dc, old);
    return measured && lstrcmpiA(drawn, face) == 0 &&
           std::abs(static_cast<int>(metrics.tmHeight - metrics.tmInternalLeading) - emPixels) <= 1;
}

} // namespace

int FontEmPixels(int hundredthsOfPoint, UINT dpi) {
    return MulDiv(hundredthsOfPoint, static_cast<int>(dpi), 7200);
}

UniqueFont CreateDesignFont(const char* face, int hundredthsOfPoint, UINT dpi, int weight,
                            bool underline) {
    const int em = FontEmPixels(hundredthsOfPoint, dpi);
    UniqueFont design = Make(face, em, weight, underline);
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (DrawsAs(dc.get(), design.get(), face, em)) {
        return design;
    }
    for (const char* scalable : kScalableFaces) {
        UniqueFont candidate = Make(scalable, em, weight, underline);
        if (DrawsAs(dc.get(), candidate.get(), scalable, em)) {
            return candidate;
        }
    }
    // Nothing draws that size: the design's face at the nearest size it has.
    return design;
}
