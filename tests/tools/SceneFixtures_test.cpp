// The sample scenes in data/: every description parses the way the game
// reads it and names only pictures that exist and load, and together they
// cover every scene type. (How a scene plays is the scene loader's test.)

#include "platform/FileManager.h"
#include "platform/GLImage.h"
#include "platform/LoadedFile.h"
#include "platform/XmlUtil.h"
#include "support/FakeGlFixture.h"
#include "support/SourceFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* kDataRoots[] = {"data/Data/Windows", "data/Data/Shared", "data/Data/Global"};
// Module names the game calls itself: a scene named like one would replace it.
const std::set<std::string> kModuleNames = {"maininclude", "splash", "mainmenu", "campain",
                                            "scene",       "character", "help", "itemview",
                                            "inventory",   "cutscene"};
const std::set<std::string> kListedTypes = {"Search",   "ShapeSearch", "Cutscene",
                                            "Map",      "Minigame",    "Adventure"};

// One description file: Scenes/<folder>/<file>.xml.
struct Description {
    std::string folder, file;
    std::string Path() const { return "Scenes/" + folder + "/" + file + ".xml"; }
};

std::vector<Description> AllDescriptions() {
    std::vector<Description> found;
    for (const char* root : kDataRoots) {
        const fs::path scenes = testsupport::SourceFolder(root) / "Scenes";
        if (!fs::is_directory(scenes)) continue;
        for (const auto& folder : fs::directory_iterator(scenes)) {
            if (!folder.is_directory()) continue;
            for (const auto& file : fs::directory_iterator(folder.path())) {
                if (file.path().extension() != ".xml") continue;
                found.push_back({folder.path().filename().string(), file.path().stem().string()});
            }
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Description& a, const Description& b) { return a.Path() < b.Path(); });
    return found;
}

// The folder the game looks in for a scene name: cut before a '_' that is
// the third-last character.
std::string FolderOf(const std::string& scene) {
    const size_t n = scene.size();
    return n >= 3 && scene[n - 3] == '_' ? scene.substr(0, n - 3) : scene;
}

std::string Attribute(const TiXmlElement* element, const char* name) {
    const char* value = XmlGetAttributeString(element, name);
    return value ? value : "";
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class SceneFixturesTest : public FakeGlFixture {
protected:
    static void SetUpTestSuite() {
        for (const char* root : kDataRoots) {
            FileManager::Global().AddRoot(testsupport::SourceFolder(root).string().c_str());
        }
    }
    // The picture loads through the file manager as the game loads it.
    ::testing::AssertionResult PictureLoads(const std::string& path) {
        uint32_t size = 0;
        LoadedFile bytes(FileManager::Global().LoadFile(&size, "%s", path.c_str()));
        if (!bytes) return ::testing::AssertionFailure() << path << " is missing";
        halvo::AutoRef<GLImage> image(new GLImage);
        if (!image->LoadFromMemory(bytes.get(), size) || image->Tiles().empty())
            return ::testing::AssertionFailure() << path << " does not load";
        return ::testing::AssertionSuccess();
    }
    // Every picture one description names; answers the object labels.
    std::vector<std::string> CheckPictures(const TiXmlElement* root, const std::string& base) {
        std::vector<std::string> labels;
        const TiXmlElement* objects = root->FirstChildElement("objects");
        for (auto* o = objects->FirstChildElement("object"); o; o = o->NextSiblingElement("object")) {
            labels.push_back(Attribute(o, "label"));
            EXPECT_FALSE(labels.back().empty()) << base;
            EXPECT_TRUE(PictureLoads(base + "/ObjectGfx/" + Attribute(o, "file") + ".cbi"));
            int points = 0;
            for (auto* p = o->FirstChildElement("Point"); p; p = p->NextSiblingElement("Point")) ++points;
            EXPECT_GE(points, 3) << base << " " << labels.back() << " has no clickable polygon";
        }
        for (auto* strip = objects->FirstChildElement("texturestrip"); strip;
             strip = strip->NextSiblingElement("texturestrip")) {
            const std::string folder = base + "/TextureStrips/" + Attribute(strip, "file") + "/";
            EXPECT_GT(XmlGetAttributeFloat(strip, "fps"), 0) << folder;
            for (auto* f = strip->FirstChildElement("object"); f; f = f->NextSiblingElement("object")) {
                EXPECT_TRUE(PictureLoads(folder + Attribute(f, "file") + ".cbi"));
            }
        }
        if (const TiXmlElement* cone = root->FirstChildElement("lightcone")) {
            EXPECT_TRUE(PictureLoads(Attribute(cone, "file") + ".cbi"));
        }
        return labels;
    }
};

TEST_F(SceneFixturesTest, EveryDescriptionParsesAndNamesPicturesThatLoad) {
    const auto descriptions = AllDescriptions();
    ASSERT_FALSE(descriptions.empty()) << "no scenes under data/Data/*/Scenes";
    for (const Description& d : descriptions) {
        SCOPED_TRACE(d.Path());
        TiXmlDocument document;
        ASSERT_TRUE(XmlLoadFile(document, d.Path().c_str()));
        const TiXmlElement* root = document.RootElement();
        ASSERT_NE(root, nullptr);
        const TiXmlElement* info = root->FirstChildElement("gameinfo");
        ASSERT_NE(info, nullptr);
        EXPECT_NE(XmlGetAttributeString(info, "gametype"), nullptr);
        ASSERT_NE(root->FirstChildElement("objects"), nullptr);
        const std::string base = "Scenes/" + d.folder;
        const bool isHalf = d.file.ends_with("_left") || d.file.ends_with("_right");
        const TiXmlElement* background = root->FirstChildElement("background");
        if (!d.file.ends_with("_right")) {
            ASSERT_NE(background, nullptr);
            EXPECT_TRUE(PictureLoads(base + "/" + Attribute(background, "file") + ".cbi"));
        }
        const std::string scene = isHalf ? d.file.substr(0, d.file.rfind('_')) : d.file;
        EXPECT_EQ(FolderOf(scene), d.folder) << "the game would look for " << scene << " elsewhere";
        EXPECT_EQ(kModuleNames.count(scene), 0u) << scene << " is the name of a game module";
        CheckPictures(root, base);
        const TiXmlElement* shapes = root->FirstChildElement("shapes");
        for (auto* s = shapes ? shapes->FirstChildElement("shape") : nullptr; s;
             s = s->NextSiblingElement("shape")) {
            const std::string file = Attribute(s, "file");
            EXPECT_NE(file.find('_'), std::string::npos) << file << " gives no silhouette name";
            EXPECT_TRUE(PictureLoads(base + "/Shapes/" + file + ".cbi"));
        }
    }
}

TEST_F(SceneFixturesTest, SparkSetsAndExitArrowAreComplete) {
    for (const char* set : {"DissolveSpark", "HintSpark", "MarkerSpark"}) {
        for (int i = 1; i <= 3; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "Scenes/_All/%s%02i.cbi", set, i);
            EXPECT_TRUE(PictureLoads(name));
        }
    }
    EXPECT_TRUE(PictureLoads("Scenes/_All/Exit.cbi"));
}

TEST_F(SceneFixturesTest, EverySceneTypeHasAScene) {
    std::map<std::string, std::vector<std::string>> byType;
    std::map<std::string, TiXmlDocument> halves;
    for (const Description& d : AllDescriptions()) {
        TiXmlDocument document;
        ASSERT_TRUE(XmlLoadFile(document, d.Path().c_str())) << d.Path();
        const std::string type = Attribute(document.RootElement()->FirstChildElement("gameinfo"), "gametype");
        if (d.file.ends_with("_left") || d.file.ends_with("_right")) {
            EXPECT_EQ(kListedTypes.count(type), 0u) << d.Path() << ": a listed type is no half";
            halves[d.folder + "/" + d.file] = document;
        } else {
            byType[type].push_back(d.file);
        }
    }
    for (const std::string& type : kListedTypes) {
        if (type == "Minigame") continue;  // mini-games start from cutscenes
        EXPECT_GE(byType[type].size(), 1u) << type;
    }
    ASSERT_EQ(halves.size(), 2u) << "one difference scene: a _left and a _right file";
    auto labels = [](TiXmlDocument& document, bool ignored) {
        std::vector<std::string> out;
        const TiXmlElement* objects = document.RootElement()->FirstChildElement("objects");
        for (auto* o = objects->FirstChildElement("object"); o; o = o->NextSiblingElement("object")) {
            if (!ignored || XmlGetAttributeInt(o, "ignore")) out.push_back(Lower(Attribute(o, "label")));
        }
        return out;
    };
    TiXmlDocument& left = halves.begin()->second;
    TiXmlDocument& right = std::next(halves.begin())->second;
    EXPECT_EQ(labels(left, false), labels(right, false)) << "halves pair their objects by label";
    // Each object is missing from exactly one picture: that is the difference.
    std::vector<std::string> missing = labels(left, true), alsoMissing = labels(right, true);
    missing.insert(missing.end(), alsoMissing.begin(), alsoMissing.end());
    std::vector<std::string> all = labels(left, false);
    std::sort(missing.begin(), missing.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(missing, all);
}

}  // namespace
