// Pinned checksums of what tests drew: a running FNV-1a sum, and the check of each item's
// sum against its pinned one, which prints the new table when one differs.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

struct Checksum {
    uint64_t value = 0xcbf29ce484222325u;
    void note(const void* data, size_t bytes)
    {
        for (size_t i = 0; i < bytes; ++i) value = (value ^ static_cast<const uint8_t*>(data)[i]) * 0x100000001b3u;
    }
    template <typename T> void note(const T& v) { note(&v, sizeof v); }
};

// sum_of(item) computes an item's sum; items have a name and their pinned sum.
template <typename Item, size_t N, typename SumOf> void expect_pinned_sums(const Item (&items)[N], SumOf sum_of)
{
    std::string table;
    for (const Item& item : items) {
        const uint64_t sum = sum_of(item);
        char line[96];
        std::snprintf(line, sizeof line, "    %s 0x%016llxu\n", item.name, static_cast<unsigned long long>(sum));
        table += line;
        EXPECT_EQ(sum, item.sum) << item.name;
    }
    if (::testing::Test::HasFailure()) std::printf("if the change is meant, take these checksums:\n%s", table.c_str());
}
