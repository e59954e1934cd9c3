#include "opt/OptImage.hpp"

#include "opt/ByteCodec.hpp"
#include "opt/FileIo.hpp"
#include "opt/PageAdvice.hpp"
#include "opt/Platform.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

namespace lathwork {

OptImage::OptImage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)), view_(bytes_) {}

OptImage::OptImage(std::span<const std::uint8_t> bytes, std::shared_ptr<const void> owner)
    : owner_(std::move(owner)), view_(bytes)
{
}

OptImage::OptImage(const OptImage& other)
    : bytes_(other.bytes_), owner_(other.owner_), composed_(other.composed_), view_(other.view_)
{
    if (!owner_) {
        view_ = OptView(bytes_);
    }
}

OptImage& OptImage::operator=(const OptImage& other)
{
    if (this != &other) {
        *this = OptImage(other);
    }
    return *this;
}

OptImage OptImage::Load(const std::filesystem::path& path)
{
    // Mapped, not read: an operation that only reads touches just the pages it walks, and a
    // rewrite copies the bytes once, into its result.
    auto file = std::make_shared<const platform::MappedFile>(platform::MappedFile::Open(path));
    const auto bytes = file->Bytes();
    return OptImage(bytes, std::move(file));
}

namespace {

// Writes to borrowed bytes are kept as overwrites up to this many bytes in all; past it the
// bytes are made whole (a writer of that much usually reads between its writes anyway).
constexpr std::size_t kOverwriteBudget = std::size_t{1} << 20;

} // namespace

void OptImage::MakeWhole() const
{
    if (composed_) {
        bytes_ = composed_->Flatten();
        composed_.reset();
    } else if (owner_) {
        // The whole file is copied at once: memory backed by large pages takes it with a few
        // hundred faults instead of one per 4 kB page.
        const auto borrowed = view_.Bytes();
        bytes_.reserve(borrowed.size());
        AdviseLargePages(bytes_.data(), bytes_.capacity());
        bytes_.assign(borrowed.begin(), borrowed.end());
    }
    owner_.reset();
    view_ = OptView(bytes_);
}

const OptView& OptImage::Flat() const
{
    if (composed_) {
        MakeWhole();
    }
    return view_;
}

std::uint8_t* OptImage::Writable(std::int64_t offset, std::int64_t count, const char* what)
{
    OptView::CheckRange(Size(), offset, count, what);
    if (owner_) {
        MakeWhole();
    }
    return bytes_.data() + offset;
}

void OptImage::Put(std::int64_t offset, std::span<const std::uint8_t> bytes)
{
    const auto count = static_cast<std::int64_t>(bytes.size());
    if (owner_) {
        OptView::CheckRange(Size(), offset, count, "a write");
        if (!composed_) {
            composed_.emplace(view_.Bytes());
            view_ = OptView();
        }
        if (composed_->OverwrittenBytes() + bytes.size() <= kOverwriteBudget) {
            composed_->Overwrite(offset, bytes);
            return;
        }
        // The bytes may be a view of the borrowed ones, which making the image whole lets go.
        const std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
        std::memcpy(Writable(offset, count, "a write"), copy.data(), copy.size());
        return;
    }
    auto* to = Writable(offset, count, "a write");
    if (!bytes.empty()) {
        std::memmove(to, bytes.data(), bytes.size());
    }
}

void OptImage::Compose(ComposedBytes composed)
{
    if (!owner_) {
        // A moved vector keeps its buffer: spans into it stay valid.
        owner_ = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes_));
        bytes_ = {};
    }
    composed_ = std::move(composed);
    view_ = OptView();
}

bool OptImage::Equals(std::span<const std::uint8_t> bytes) const
{
    return composed_ ? composed_->Equals(bytes) : std::ranges::equal(view_.Bytes(), bytes);
}

void OptImage::Stream(const ComposedBytes::Sink& sink) const
{
    if (composed_) {
        composed_->Stream(sink);
    } else {
        sink(view_.Bytes());
    }
}

void OptImage::WriteLong(std::int64_t offset, std::int32_t value)
{
    std::uint8_t bytes[4];
    codec::StoreLong(bytes, value);
    Put(offset, bytes);
}

void OptImage::WriteByte(std::int64_t offset, std::uint8_t value)
{
    Put(offset, std::span(&value, 1));
}

void OptImage::WriteSingle(std::int64_t offset, float value)
{
    WriteLong(offset, static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(value)));
}

void OptImage::WriteBytes(std::int64_t offset, std::span<const std::uint8_t> bytes)
{
    Put(offset, bytes);
}

void OptImage::Fill(std::int64_t offset, std::int64_t count, std::uint8_t value)
{
    auto* to = Writable(offset, count, "a write");
    std::fill_n(to, count, value);
}

void OptImage::Insert(std::int64_t offset, std::span<const std::uint8_t> bytes)
{
    // The new bytes may be a view of this image: copy them before anything moves.
    const std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    Writable(offset, 0, "an insertion");
    CheckedAdd(Size(), static_cast<std::int64_t>(bytes.size()));
    bytes_.insert(bytes_.begin() + offset, copy.begin(), copy.end());
    view_ = OptView(bytes_);
}

void OptImage::Save(const std::filesystem::path& path)
{
    Writable(0, 0, "a save");
    ReplaceFile(path, Bytes());
}

std::vector<std::uint8_t> OptImage::TakeBytes() &&
{
    Writable(0, 0, "a move");
    std::vector<std::uint8_t> bytes = std::move(bytes_);
    *this = OptImage();
    return bytes;
}

} // namespace lathwork
