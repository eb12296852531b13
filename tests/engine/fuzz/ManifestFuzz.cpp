// Hostile DASH manifests: parse() either accepts a manifest whose representations can be
// used as they are, or says why not; spelling out pieces stays within its bound.
#include "engine/DashManifest.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::string base = "https://media.test/show/ep1/manifest.mpd?token=a";
    DashManifest manifest;
    std::string why;
    if (!manifest.parse(text, base, &why)) {
        if (why.empty())
            __builtin_trap(); // a rejection always names its reason
        return 0;
    }
    for (size_t p = 0; p < manifest.periods.size(); ++p) {
        bool expanded = false;
        for (const auto &r : manifest.periods[p].representations) {
            if (r.url.empty())
                __builtin_trap();
            if (!r.pieceWise)
                continue;
            // The offered address leads back to this representation.
            std::string manifestUrl, id;
            size_t period = 0;
            if (!DashManifest::readPieceWiseAddress(r.url, &manifestUrl, &period, &id) || manifestUrl != base ||
                period != p || manifest.find(period, id) == nullptr)
                __builtin_trap();
            if (r.cutting.count < 1 || r.cutting.count > DashManifest::kMaxPieces)
                __builtin_trap();
            // One representation a period is spelled out, as a download would.
            if (expanded)
                continue;
            expanded = true;
            DashManifest::Piece init;
            std::vector<DashManifest::Piece> pieces;
            if (DashManifest::pieces(r, init, pieces, &why)) {
                if (static_cast<int64_t>(pieces.size()) != r.cutting.count || (r.cutting.hasInit && init.url.empty()))
                    __builtin_trap();
                for (const auto &piece : pieces)
                    if (piece.url.empty() || piece.offset < 0 || piece.length < -1)
                        __builtin_trap();
            } else if (why.empty()) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
