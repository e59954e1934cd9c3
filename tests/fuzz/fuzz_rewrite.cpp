// Each rewrite on arbitrary bytes, with a request read from the first bytes of the input and
// the model from the rest. A rewrite either throws OptError or returns an image that every
// reader can walk without a crash. Where the one-pass rewrites succeed they must agree byte for
// byte with the walking oracle, which walks the tree for every step; where they refuse a file
// the image is left as it was.

#include "FuzzOperations.hpp"
#include "FuzzProperties.hpp"

#include "opt/Layout.hpp"
#include "opt/OptError.hpp"

#include <algorithm>
#include <optional>
#include <string>

using namespace lathwork;
using namespace lathwork::fuzz;

namespace {

// The request occupies this many bytes at the front of every input (short inputs are padded).
constexpr std::size_t kRequestBytes = 32;

// The error message, or nullopt when the rewrite returned.
std::optional<std::string> Run(OptImage& image, const Operation& op, bool walking)
{
    try {
        Apply(image, op, walking);
        return std::nullopt;
    } catch (const OptError& error) {
        return std::string(error.what());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::size_t split = std::min(size, kRequestBytes);
    InputReader request(data, split);
    const std::vector<std::uint8_t> bytes(data + split, data + size);

    const Operation op = DeriveOperation(request, ReadChoices(OptImage(bytes)));
    OptImage image(bytes);
    OptImage walked(bytes);
    const auto error = Run(image, op, false);
    const auto walkError = Run(walked, op, true);
    if (error) {
        if (!std::ranges::equal(image.Bytes(), bytes)) {
            Fail("a refused rewrite (\"" + *error + "\") changed the image");
        }
        return 0;
    }
    if (walkError) {
        // Walking may refuse a value leaving 32 bits in a slot it overwrites afterwards.
        if (walkError->find("32-bit range") == std::string::npos) {
            Fail("the walking rewrite fails (\"" + *walkError + "\") where the one-pass one succeeds");
        }
    } else if (!std::ranges::equal(walked.Bytes(), image.Bytes())) {
        Fail("the one-pass and the walking rewrite give different bytes");
    }
    const bool grows = op.kind != RewriteKind::Animate && op.kind != RewriteKind::Cloak;
    if (grows && image.ReadLong(layout::kBodyLength) != image.Size() - 8) {
        Fail("BodyLength is not the new length - 8");
    }
    if (!grows && image.Size() != static_cast<std::int32_t>(bytes.size())) {
        Fail("an in-place rewrite changed the file's length");
    }
    ReadEverything(image);
    return 0;
}
