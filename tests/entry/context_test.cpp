// Contexts: each with its own special-character flag (contexts run on
// threads: the Python package's pool), and the references of their checks.
#include <gtest/gtest.h>

#include "support/test_support.hpp"

namespace {

using namespace tx14::test;

TEST(Contexts, EachHasItsOwnSpecialCharacterFlag)
{
    HostItem item, again;
    tx14::Context c, plain;
    plain.set_no_special(1);
    item.run(c);
    again.run(plain);
    ASSERT_EQ(plain.captured_lines(), c.captured_lines());
    int differ = 0;
    for (int i = 0; i < c.captured_lines(); ++i)
        differ += plain.captured_record(i) != c.captured_record(i);
    EXPECT_GT(differ, 0) << "plain text in both contexts, or in neither";
}

// Every check of every kind names where the code states it (the paragraphs
// of one kind: the sheet's tests).
TEST(Contexts, EachCheckNamesWhereTheCodeStatesIt)
{
    for (HostItem item :
         std::initializer_list<HostItem>{{}, appendix_ee_item(), div2_item(), limpet_coil_item(), en13445_item()}) {
        tx14::Context ctx;
        item.run(ctx);
        ASSERT_GT(ctx.check_count(), 0);
        for (int i = 0; i < ctx.check_count(); ++i)
            EXPECT_TRUE(ctx.check_reference(i) && *ctx.check_reference(i)) << "check " << i;
        EXPECT_EQ(ctx.check_reference(ctx.check_count()), nullptr);
        EXPECT_EQ(ctx.check_reference(-1), nullptr);
    }
}

}  // namespace
