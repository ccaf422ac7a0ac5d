// The sparks of a find and the drifting markers: a scene without spark
// pictures makes no spark, and an outline far larger than the scene gets
// markers and a burst of at most the cap.

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <string>

#include "game/effects/ScnDisslvFX.h"
#include "game/effects/ScnMarkerFX.h"
#include "game/effects/SceneSparks.h"
#include "tests/game/SceneTestSupport.h"

namespace {

using namespace scenetest;

class FoundSparksTest : public SceneFixture {
protected:
    static size_t Count(const Scene& scene, const ClassRecord& kind) {
        size_t count = 0;
        for (const auto& effect : scene.effects)
            if (effect->GetClassInfo() == &kind) ++count;
        return count;
    }
};

TEST_F(FoundSparksTest, AFindInASceneWithoutSparkPicturesMakesNoSpark) {
    std::remove((testsupport::GlobalDataRoot() / "Scenes/_All/DissolveSpark01.cbi").c_str());
    WriteScene("bare", Description("Search", Object("cup", "forceuse=\"1\"", 10, 10)), {"cup"});
    halvo::AutoRef<Scene> scene = LoadScene("bare");
    ASSERT_TRUE(scene->dissolveImages.empty());
    scene->OnObjectFound("cup", 2.0f);
    EXPECT_EQ(scene->CountRemaining(), 0);  // found all the same
    EXPECT_EQ(Count(*scene, ScnDisslvFX::kClassRecord), 0u);
    for (int step = 0; step < 5; ++step) scene->UpdateMarkers(step * 17.0, 17);
    EXPECT_GT(scene->FindObject("cup")->fadeSpeed, 0);
}

// An outline of a million units each way: uncapped it would ask for some
// 800,000 sparks in one find.
TEST_F(FoundSparksTest, AHugeOutlineGetsMarkersAndABurstOfAtMostTheCap) {
    const std::string huge = "<object label=\"HOG\" file=\"HOG\" forceuse=\"1\"><Point x=\"-1000000\" y=\"-1000000\"/>"
                             "<Point x=\"1000000\" y=\"-1000000\"/><Point x=\"1000000\" y=\"1000000\"/>"
                             "<Point x=\"-1000000\" y=\"1000000\"/></object>";
    WriteScene("vast", Description("Search", huge), {"HOG"});
    halvo::AutoRef<Scene> scene = LoadScene("vast");
    size_t markers = 0;
    for (int step = 0; step < 40; ++step) {
        scene->UpdateMarkers(step * 17.0, 17);
        markers = std::max(markers, Count(*scene, ScnMarkerFX::kClassRecord));
    }
    EXPECT_GT(markers, 0u);
    for (const auto& effect : scene->effects) {
        EXPECT_TRUE(std::isfinite(effect->position.x) && std::isfinite(effect->position.y));
        EXPECT_LE(std::fabs(effect->position.x), 1e6f);
    }
    scene->OnObjectFound("HOG", 2.0f);
    EXPECT_EQ(Count(*scene, ScnDisslvFX::kClassRecord), static_cast<size_t>(kMaxSparks));
}

}  // namespace
