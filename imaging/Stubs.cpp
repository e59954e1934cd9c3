// Placeholders until the imaging and colour code lands; the helper replacing them deletes this file.
#include "colour/Similarity.hpp"
#include "imaging/Extraction.hpp"
#include "imaging/Preview.hpp"
#include "imaging/TextureBitmap.hpp"
#include "opt/OptError.hpp"

namespace lathwork {

void VisitTextures(const OptImage&, std::int32_t, const std::function<void(std::int32_t)>&) { throw OptError("not built yet"); }
std::optional<TextureImage> ReadTextureImage(const OptImage&, std::int32_t, std::int32_t) { throw OptError("not built yet"); }
std::vector<std::uint8_t> WriteTextureBitmap(const TextureImage&) { throw OptError("not built yet"); }
std::string ExtractedBitmapName(const std::string&, const TextureName&) { throw OptError("not built yet"); }
std::vector<std::filesystem::path> ExtractTextures(const std::filesystem::path&) { throw OptError("not built yet"); }
std::optional<PreviewPicture> PreviewTexture(const OptImage&, const TextureName&) { throw OptError("not built yet"); }

bool IsSimilar(const Rgb&, const Rgb&, int) { return false; }
Rgb SplitColour(std::uint32_t v) { return {static_cast<int>(v & 255), static_cast<int>((v >> 8) & 255), static_cast<int>((v >> 16) & 255)}; }
std::uint32_t JoinColour(const Rgb& c) { return static_cast<std::uint32_t>(c.red | c.green << 8 | c.blue << 16); }
RgbBuffer::RgbBuffer(int w, int h, std::uint32_t fill) : width_(w), height_(h), pixels_(static_cast<std::size_t>(w * h), fill) {}
std::uint32_t RgbBuffer::Get(int x, int y) const { return pixels_.at(static_cast<std::size_t>(y * width_ + x)); }
void RgbBuffer::Set(int x, int y, std::uint32_t v) { pixels_.at(static_cast<std::size_t>(y * width_ + x)) = v; }
void MarkSimilarPixels(RgbBuffer&, int, int, const Rgb&, int) {}
void RemarkPickedColours(RgbBuffer& d, const RgbBuffer& h, int, int, const std::vector<Rgb>&, int) { d = h; }

} // namespace lathwork
