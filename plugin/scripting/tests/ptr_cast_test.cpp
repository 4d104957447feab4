// Tests of FB::dynamicPtrCast: the derived pointer shares ownership, or is empty.
#include "plugin/scripting/ptr_cast.h"

#include <memory>

#include <gtest/gtest.h>

namespace {

struct Source {
    virtual ~Source() = default;
};
struct Stream : Source {};
struct OtherSource : Source {};
struct NpapiStream : Stream {};

TEST(DynamicPtrCast, SharesOwnershipOnlyWhenTheObjectIsTheTarget) {
    const std::shared_ptr<Source> empty;
    EXPECT_FALSE(FB::dynamicPtrCast<Stream>(empty));

    const std::shared_ptr<Source> other = std::make_shared<OtherSource>();
    EXPECT_FALSE(FB::dynamicPtrCast<Stream>(other));
    EXPECT_EQ(1, other.use_count());

    const std::shared_ptr<Source> derived = std::make_shared<NpapiStream>();
    const std::shared_ptr<Stream> stream = FB::dynamicPtrCast<Stream>(derived);
    ASSERT_TRUE(stream);
    EXPECT_EQ(2, derived.use_count());
    EXPECT_FALSE(stream.owner_before(derived) || derived.owner_before(stream));
    EXPECT_TRUE(FB::dynamicPtrCast<NpapiStream>(stream));
    EXPECT_FALSE(FB::dynamicPtrCast<NpapiStream>(std::shared_ptr<Stream>(std::make_shared<Stream>())));
}

} // namespace
