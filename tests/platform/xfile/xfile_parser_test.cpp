// The .x text parser: what it reads from valid files and how it refuses malformed ones.
#include <gtest/gtest.h>

#include "platform/xfile/xfile.h"
#include "support/x_samples.h"

using namespace platform::xfile;

namespace {

bool Parse(const std::string& text, Document* doc, std::string* error) {
    return ParseXFile(text.data(), text.size(), "model.x", doc, error);
}

const char* kCube = R"(xof 0303txt 0032
// a comment line
# another comment
template Unused { <11111111-2222-3333-4444-555555555555> DWORD x; }
Header { 1; 0; 1; }
Material Shared { 1.0;0.5;0.25;1.0;; 8.0; 0.1;0.2;0.3;; 0.0;0.0;0.0;; TextureFileName { "wood.png"; } }
Frame Körper {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 5,6,7,1;; }
  Mesh Quad {
    4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;
    1; 4;0,1,2,3;;
    MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }
    MeshMaterialList { 2; 1; 1;; { Shared } Material { 0;0;1;1;; 1; 0;0;0;; 0;0;0;; } }
    SomethingElse { 1; 2; { nested } }
  }
  Frame Child { }
}
)";

} // namespace

TEST(XFileParser, ReadsFramesMeshesMaterialsAndReferences) {
    Document doc;
    std::string error;
    ASSERT_TRUE(Parse(kCube, &doc, &error)) << error;
    ASSERT_EQ(doc.objects.size(), 1u);
    const Frame& frame = *doc.objects[0].frame;
    EXPECT_EQ(frame.name, "Körper"); // UTF-8 names pass through byte for byte
    EXPECT_FLOAT_EQ(frame.transform._42, 6.0f);
    ASSERT_EQ(frame.meshes.size(), 1u);
    ASSERT_EQ(frame.children.size(), 1u);
    EXPECT_EQ(frame.children[0]->name, "Child");
    const MeshData& mesh = frame.meshes[0];
    EXPECT_EQ(mesh.positions.size(), 4u);
    EXPECT_EQ(mesh.FaceCount(), 1u);
    EXPECT_EQ(mesh.faceCorners.size(), 4u);
    ASSERT_EQ(mesh.materials.size(), 2u);
    EXPECT_EQ(mesh.materials[0].textureFilename, "wood.png");
    EXPECT_FLOAT_EQ(mesh.materials[0].faceColor.g, 0.5f);
    EXPECT_FLOAT_EQ(mesh.materials[0].power, 8.0f);
    EXPECT_EQ(mesh.faceMaterials, std::vector<std::uint32_t>{1});
    EXPECT_FLOAT_EQ(mesh.texCoords[2].y, 1.0f);
}

TEST(XFileParser, ReadsSkinWeightsAndAnimationKeys) {
    std::string text = xsamples::SkinnedModel(3, true);
    text += "AnimationSet Turn { Animation A { { Bone1 } AnimationOptions { 0; 1; }\n"
            "  AnimationKey { 0; 1; 10; 4; 0.5, 0.5, 0.5, 0.5;;; }\n"
            "  AnimationKey { 4; 1; 5; 16; 2,0,0,0, 0,2,0,0, 0,0,2,0, 1,2,3,1;;; } } }\n";
    Document doc;
    std::string error;
    ASSERT_TRUE(Parse(text, &doc, &error)) << error;
    const MeshData& mesh = doc.objects[0].frame->meshes[0];
    EXPECT_TRUE(mesh.hasSkinHeader);
    ASSERT_EQ(mesh.skinWeights.size(), 3u);
    EXPECT_EQ(mesh.skinWeights[1].transformNodeName, "Bone1");
    EXPECT_EQ(mesh.skinWeights[1].vertexIndices.size(), 4u);
    EXPECT_FLOAT_EQ(mesh.skinWeights[2].matrixOffset._41, -2.0f);
    EXPECT_TRUE(doc.hasTicksPerSecond);
    EXPECT_EQ(doc.ticksPerSecond, 60.0);
    ASSERT_EQ(doc.animationSets.size(), 2u);
    EXPECT_EQ(doc.animationSets[0].name, "Walk");
    const Animation& turn = doc.animationSets[1].animations[0];
    EXPECT_EQ(turn.frameName, "Bone1");
    EXPECT_FALSE(turn.openClosed);
    ASSERT_EQ(turn.rotationKeys.size(), 1u);
    EXPECT_EQ(turn.rotationKeys[0].time, 10.0f);
    ASSERT_EQ(turn.matrixKeys.size(), 1u);
    EXPECT_FLOAT_EQ(turn.matrixKeys[0].value._43, 3.0f);
}

TEST(XFileParser, AcceptsOlderVersionAndDefaultsTicks) {
    Document doc;
    std::string error;
    ASSERT_TRUE(Parse("xof 0302txt 0064\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n", &doc, &error)) << error;
    ASSERT_EQ(doc.objects.size(), 1u);
    EXPECT_TRUE(doc.objects[0].wrapsLooseMesh);
    EXPECT_EQ(doc.ticksPerSecond, 4800.0);
}

TEST(XFileParser, FewerMaterialIndicesThanFacesRepeatTheLast) {
    Document doc;
    std::string error;
    std::string text = "xof 0303txt 0032\nMesh { 4; 0;0;0;, 1;0;0;, 0;1;0;, 1;1;0;; 3; 3;0,1,2;, 3;1,3,2;, 3;0,2,3;;\n"
                       " MeshMaterialList { 2; 2; 0, 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }"
                       " Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; } } }\n";
    ASSERT_TRUE(Parse(text, &doc, &error)) << error;
    EXPECT_EQ(doc.objects[0].frame->meshes[0].faceMaterials, (std::vector<std::uint32_t>{0, 1, 1}));
}

TEST(XFileParser, MalformedInputNamesFileLineAndReason) {
    struct Case {
        const char* text;
        const char* reason;
        int line;
    };
    const Case cases[] = {
        {"xof 0303bin 0032", "binary", 1},
        {"hello", "not a .x file", 1},
        {"xof 0303txt 0032\nFrame A {\n Frame B {\n", "unbalanced", 3},
        {"xof 0303txt 0032\nMesh {\n 3; 0;0;0;, 1;0;0;;\n 1; 3;0,1,2;; }", "face count 1 is larger than the data", 4},
        {"xof 0303txt 0032\nMesh {\n 3; 0;0;0;, 1;0;0;, 0;1;0;;\n 1; 3;0,1,7;; }", "uses index 7 of 3", 4},
        {"xof 0303txt 0032\nMesh {\n 4000000000; 0;0;0;; }", "exceeds the limit", 3},
        {"xof 0303txt 0032\nMesh {\n 900000; 0;0;0;; }", "larger than the data", 3},
        {"xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n MeshTextureCoords { 2; 0;0;, 1;1;; } }",
         "2 entries for 3 vertices", 3},
        {"xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n MeshMaterialList { 1; 1; 2;; } }",
         "uses material 2 of 1", 3},
        {"xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n MeshMaterialList { 1; 1; 0;; { Nope } } }",
         "unknown material 'Nope'", 3},
        {"xof 0303txt 0032\nAnimationSet S { Animation { AnimationKey {\n 0; 1; 0; 3; 1,0,0;;; } } }", "expected 4", 3},
        {"xof 0303txt 0032\nMaterial M { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"abc", "unterminated", 2},
    };
    for (const Case& c : cases) {
        Document doc;
        std::string error;
        EXPECT_FALSE(Parse(c.text, &doc, &error)) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(error.rfind("model.x:" + std::to_string(c.line) + ":", 0), 0u) << error;
        EXPECT_TRUE(doc.objects.empty());
    }
}

TEST(XFileParser, DeepNestingIsRefusedNotRecursedForever) {
    std::string text = "xof 0303txt 0032\n";
    for (int i = 0; i < 10000; ++i) text += "Frame {";
    Document doc;
    std::string error;
    EXPECT_FALSE(Parse(text, &doc, &error));
    EXPECT_NE(error.find("nested too deeply"), std::string::npos) << error;
}

TEST(XFileParser, EveryTruncationOfAValidFileFailsCleanly) {
    std::string text = xsamples::SkinnedModel(2, true);
    int accepted = 0;
    for (std::size_t n = 0; n < text.size(); ++n) {
        Document doc;
        std::string error;
        // A cut can land after a complete object, which is still a valid file; otherwise an error.
        if (Parse(text.substr(0, n), &doc, &error)) ++accepted;
        else EXPECT_FALSE(error.empty());
    }
    EXPECT_LT(accepted, 10);
}

TEST(XFileParser, LoadXFileReportsMissingFiles) {
    Document doc;
    std::string error;
    EXPECT_FALSE(LoadXFile("/nonexistent/model.x", &doc, &error));
    EXPECT_NE(error.find("/nonexistent/model.x"), std::string::npos);
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

// Modelling tools export vertex data as DeclData (float bits written as whole numbers); what the
// reader leaves out is named once per kind, so a model that draws wrong says why.
TEST(XFileParser, DeclDataGivesNormalsAndUvsAndSkippedTemplatesAreNamed) {
    const std::string one = "1065353216", half = "1056964608", minusOne = "3212836864";
    // Per vertex: normal (0, 0, -1), uv, tangent (1, 0, 0).
    auto vertex = [&](const std::string& u, const std::string& v) {
        return "0," + std::string("0,") + minusOne + "," + u + "," + v + "," + one + ",0,0";
    };
    const std::string text = "xof 0303txt 0032\nMesh Tri {\n 3; 0;0;0;, 1;0;0;, 0;1;0;;\n 1; 3;0,1,2;;\n"
                             " FVFData { 258; 0; }\n"
                             " MeshVertexColors { 1; 0;1;0;0;1;;; }\n"
                             " DeclData { 3; 2;0;3;0;, 1;0;5;0;, 2;0;6;0;;\n 24; " +
                             vertex("0", "0") + "," + vertex(one, half) + "," + vertex("0", one) +
                             "; }\n"
                             " FVFData { 258; 0; }\n}\n";
    Document doc;
    std::string error;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(LoadXFile(xsamples::WriteFile("decl.x", text), &doc, &error)) << error;
    const std::string log = testing::internal::GetCapturedStderr();
    const MeshData& mesh = doc.objects.at(0).frame->meshes.at(0);
    ASSERT_EQ(mesh.normals.size(), 3u);
    EXPECT_EQ(mesh.normals[2], D3DXVECTOR3(0, 0, -1));
    EXPECT_EQ(mesh.normalCorners, mesh.faceCorners);
    ASSERT_EQ(mesh.texCoords.size(), 3u);
    EXPECT_EQ(mesh.texCoords[1].x, 1.0f);
    EXPECT_EQ(mesh.texCoords[1].y, 0.5f);
    EXPECT_NE(log.find("decl.x:5: FVFData skipped (not read; 2 in the file)"), std::string::npos) << log;
    EXPECT_NE(log.find("decl.x:6: MeshVertexColors skipped"), std::string::npos) << log;
    EXPECT_NE(log.find("DeclData tangent 0 (type 2) skipped"), std::string::npos) << log;

    // The values must fill every vertex's elements exactly.
    std::string shortData = text;
    shortData.replace(shortData.find(" 24; "), 5, " 23; ");
    EXPECT_FALSE(Parse(shortData, &doc, &error));
    EXPECT_NE(error.find("DeclData has 23 values"), std::string::npos) << error;
}
