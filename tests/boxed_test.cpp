// A boxed value behaves as the optional it stands for: copies are deep,
// an empty box is empty whichever way it was made.
#include <gtest/gtest.h>

#include <string>

#include "analysis/boxed.h"

namespace sormel {
namespace {

TEST(Boxed, HoldsItsOwnValueAsAnOptionalWould) {
    const Boxed<std::string> empties[] = {Boxed<std::string>(), Boxed<std::string>(std::nullopt),
                                          Boxed<std::string>(std::optional<std::string>())};
    for (const Boxed<std::string>& empty : empties) {
        EXPECT_FALSE(empty.has_value());
        EXPECT_FALSE(static_cast<std::optional<std::string>>(empty).has_value());
        EXPECT_EQ(empty, Boxed<std::string>());
    }
    Boxed<std::string> box = std::string("alpha");
    Boxed<std::string> copy = box;
    copy->append("-copy");
    EXPECT_EQ(*box, "alpha");
    EXPECT_EQ(*copy, "alpha-copy");
    EXPECT_FALSE(box == copy);
    copy = box;
    EXPECT_EQ(box, copy);
    EXPECT_EQ(static_cast<std::optional<std::string>>(copy), std::optional<std::string>("alpha"));
    Boxed<std::string> moved = std::move(copy);
    EXPECT_EQ(*moved, "alpha");
    moved.reset();
    EXPECT_FALSE(moved);
    EXPECT_EQ(moved.emplace(3, 'x'), "xxx");
}

}  // namespace
}  // namespace sormel
