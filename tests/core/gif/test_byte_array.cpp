#include "core/gif/byte_array.h"

#include "core/message_of.h"

#include <gtest/gtest.h>

#include <string>

using namespace orv;

TEST(BigByteArray, IndicesRunFromOneToSize) {
    TBigByteArray a(3);
    EXPECT_EQ(a.Size(), 3);
    a.SetItem(1, 7);
    a.SetItem(3, 9);
    EXPECT_EQ(a.GetItem(1), 7);
    EXPECT_EQ(a.GetItem(2), 0);
    EXPECT_EQ(a.GetItem(3), 9);
    for (int64_t bad : {int64_t(0), int64_t(4), int64_t(-1), int64_t(1) << 40}) {
        EXPECT_EQ(MessageOf([&] { a.GetItem(bad); }), "Dynamic array index out of bounds") << bad;
        EXPECT_THROW(a.SetItem(bad, 1), EIndexOutOfBounds) << bad;
    }
    TBigByteArray empty(0);
    EXPECT_EQ(empty.Size(), 0);
    EXPECT_THROW(empty.GetItem(1), EIndexOutOfBounds);
}

TEST(BigByteArray, ARequestBeyondOneBlockNamesItsSize) {
    const std::string expected = "error in TBigByteArray.create: Not enough contiguous memory available\r\n"
                                 " requested memory block: 4294836225 bytes";
    EXPECT_EQ(MessageOf([] { TBigByteArray a(int64_t(65535) * 65535); }), expected);
    EXPECT_THROW(TByteArray2D(65535, 65535), ENotEnoughMemory);
    EXPECT_THROW(TBigByteArray(-5), ENotEnoughMemory);
}

TEST(ByteArray2D, CellsAreStoredRowAfterRowAndOnlyTheLinearIndexIsTested) {
    TByteArray2D m(3, 2);
    m.SetCell(4, 1, 42); // past the last column: the first cell of row 2
    EXPECT_EQ(m.GetCell(1, 2), 42);
    m.SetCell(3, 2, 5);
    EXPECT_EQ(m.Cells().GetItem(6), 5);
    EXPECT_THROW(m.GetCell(4, 2), EIndexOutOfBounds);
    EXPECT_THROW(m.SetCell(0, 1, 1), EIndexOutOfBounds);
    EXPECT_THROW(m.GetCell(1, 3), EIndexOutOfBounds);
    const TBigByteArray row = m.GetRow(2);
    ASSERT_EQ(row.Size(), 3);
    EXPECT_EQ(row.GetItem(1), 42);
    EXPECT_EQ(row.GetItem(3), 5);
    EXPECT_THROW(m.GetRow(3), EIndexOutOfBounds);
}

TEST(ByteArray2D, SetRowChecksRowNumberAndLengthAndChangesNothingOnFailure) {
    TByteArray2D m(3, 2);
    TBigByteArray row(3);
    for (int i = 1; i <= 3; ++i)
        row.SetItem(i, uint8_t(10 + i));
    m.SetRow(2, row);
    EXPECT_EQ(m.GetCell(1, 2), 11);
    EXPECT_EQ(m.GetCell(3, 2), 13);
    EXPECT_THROW(m.SetRow(0, row), EIndexOutOfBounds);
    EXPECT_THROW(m.SetRow(3, row), EIndexOutOfBounds);
    const TBigByteArray shorter(2);
    EXPECT_EQ(MessageOf([&] { m.SetRow(1, shorter); }),
              "Row doesn't have equal number of elements as Matrix row");
    for (int x = 1; x <= 3; ++x)
        EXPECT_EQ(m.GetCell(x, 1), 0);
}

TEST(ByteArray2D, CloneIsIndependentAndEmptyMatricesAreValid) {
    TByteArray2D m(2, 2);
    m.SetCell(2, 2, 8);
    TByteArray2D copy = m.Clone();
    copy.SetCell(2, 2, 1);
    EXPECT_EQ(m.GetCell(2, 2), 8);
    EXPECT_EQ(copy.GetCell(2, 2), 1);
    TByteArray2D none(0, 0);
    EXPECT_EQ(none.Cells().Size(), 0);
    EXPECT_THROW(none.GetCell(1, 1), EIndexOutOfBounds);
}
