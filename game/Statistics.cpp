#include "game/Statistics.h"

#include <algorithm>

#include "platform/DataTree.h"

void AddToStatistic(const char* path, int64_t amount) {
    if (amount < 0) return;
    const int64_t sum = static_cast<int64_t>(DataTree::GetInt(path)) + amount;
    DataTree::SetInt(path, static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX)));
}
