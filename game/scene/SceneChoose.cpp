// Scene: choosing the groups of objects a visit searches for.

#include <string_view>
#include <unordered_map>
#include <vector>

#include "game/scene/Scene.h"
#include "platform/os/Random.h"

namespace {

struct Group {
    SceneObject* first;  // represents the group
    bool forced = false;
    std::vector<SceneObject*> members;
};

// Groups in the order their first objects appear.
std::vector<Group> GroupByBaseName(const halvo::AutoRefVector<SceneObject>& objects) {
    std::vector<Group> groups;
    std::unordered_map<std::string_view, size_t> index;
    for (const auto& object : objects) {
        auto [at, added] = index.try_emplace(object->baseName, groups.size());
        if (added) groups.push_back(Group{object.Get(), false, {}});
        Group& group = groups[at->second];
        group.forced = group.forced || object->forceUse;
        group.members.push_back(object.Get());
    }
    return groups;
}

bool IsDrawable(const Group& group) { return group.first->enabled && !group.first->selected; }

// One draw: a number picks how many drawable groups to pass, walking from
// the second group round; a group that is not drawable once the count is
// spent ends the draw without a choice.
bool DrawOnce(std::vector<Group>& groups, int32_t selected) {
    const int32_t count = static_cast<int32_t>(groups.size());
    const float fraction = static_cast<float>(os::Rand()) / static_cast<float>(os::kRandMax);
    int32_t k = TruncateToInt(fraction * static_cast<float>(count - selected + 1));
    for (int32_t i = 1;; ++i) {
        Group& group = groups[static_cast<size_t>(i % count)];
        if (IsDrawable(group)) {
            if (--k <= 0) {
                group.first->selected = true;
                return true;
            }
        } else if (k <= 0) {
            return false;
        }
    }
}

}  // namespace

void Scene::ChooseObjects() {
    std::vector<Group> groups = GroupByBaseName(allObjects);
    for (Group& group : groups) {
        for (SceneObject* member : group.members) {
            member->selected = false;
            member->forceUse = group.forced;
        }
    }

    const int32_t groupCount = static_cast<int32_t>(groups.size());
    if (objectCount < 0) objectCount = 0;
    if (objectCount > groupCount) objectCount = groupCount;
    int32_t selected = 0, forced = 0, candidates = 0;
    for (const Group& group : groups) {
        if (group.forced) {
            group.first->selected = true;
            ++selected;
            ++forced;
            if (group.first->isExit) ++objectCount;  // exits are no finds
        }
        // A forced group that is also enabled counts twice here, as it
        // always has; the draw below stops instead of waiting for a group
        // that cannot come.
        if (group.forced) ++candidates;
        if (group.first->enabled && !group.first->isExit) ++candidates;
    }
    if (objectCount > candidates) objectCount = candidates;
    if (type == kSceneShapeSearch) objectCount = forced;

    int32_t drawable = 0;
    for (const Group& group : groups) drawable += IsDrawable(group) ? 1 : 0;
    while (selected < objectCount && drawable > 0) {
        if (!DrawOnce(groups, selected)) continue;
        ++selected;
        --drawable;
    }

    searchList.Clear();
    for (const Group& group : groups) {
        if (!group.first->selected) continue;
        for (SceneObject* member : group.members) searchList.push_back(member);
    }
    remaining.assign(searchList.begin(), searchList.end());
}
