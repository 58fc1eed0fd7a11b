// test_texture_table.cpp -- names, priorities, load order, filters and the missing-file path.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include <GL/gl.h>

#include "app/edition.h"
#include "app/game_state.h"
#include "assets/texture_table.h"
#include "support/gl_window.h"
#include "support/scratch.h"

class TextureTable : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        scratchEnterDir(VORTAVIA_GAME_DIR);
    }
    void TearDown() override { scratchLeave(); }

    long keysTaken = 0;

    // Loads the table for the settings in `gs` and returns what it printed.
    std::string loadTable(const char* keys = "")
    {
        const ScriptedRun run = scriptedConsole(keys, loadTextureTable);
        keysTaken             = run.taken;
        return run.out;
    }

    static std::vector<int> generatedOrder(const std::string& out)
    {
        std::vector<int> order;
        for (size_t at = out.find("Generating Texture "); at != std::string::npos;
             at = out.find("Generating Texture ", at + 1))
            order.push_back(atoi(out.c_str() + at + 19));
        return order;
    }

    // A parameter of texture `number`, or the width of its image.
    static int param(int number, GLenum what)
    {
        GLint v = 0;
        glBindTexture(GL_TEXTURE_2D, gs.textureIds[number]);
        if (what == GL_TEXTURE_WIDTH)
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &v);
        else
            glGetTexParameteriv(GL_TEXTURE_2D, what, &v);
        return v;
    }
    static int width(int number) { return param(number, GL_TEXTURE_WIDTH); }
};

TEST_F(TextureTable, SingleSkyLoadsFourInOrderWithNearestFilters)
{
    const std::string out = loadTable();
    EXPECT_EQ(keysTaken, 0);
    EXPECT_EQ(generatedOrder(out), (std::vector<int>{1, 7, 8, 9}));
    EXPECT_NE(out.find("Generating Texture 1...\nFile name: test1.bmp\ndone!\n"), std::string::npos);
    EXPECT_NE(out.find("Generating Texture 9...\nFile name: jetmask.bmp\ndone!\n"), std::string::npos);
    EXPECT_EQ(out.find("Could not find"), std::string::npos);

    for (int n = 1; n <= kTextureCount; n++) {
        SCOPED_TRACE(n);
        EXPECT_NE(gs.textureIds[n], 0u);
        for (int m = 1; m < n; m++)
            EXPECT_NE(gs.textureIds[n], gs.textureIds[m]);
        float priority = -1;
        glBindTexture(GL_TEXTURE_2D, gs.textureIds[n]);
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, &priority);
        EXPECT_EQ(priority, n == 6 ? 1.0f : 0.0f);  // 6 too, though never loaded here
    }
    for (int n : {1, 7, 8, 9}) {
        EXPECT_EQ(param(n, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
        EXPECT_EQ(param(n, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
        EXPECT_EQ(param(n, GL_TEXTURE_WRAP_S), GL_REPEAT);
        EXPECT_GT(width(n), 1);
    }
    EXPECT_EQ(width(2), 0);  // the cube faces are never loaded for the single sky
}

TEST_F(TextureTable, SkyCubeFromTheLargeSetWithLinearFilters)
{
    gs.panoramicSky  = true;
    gs.smallTextures = false;
    gs.highEndCard   = true;
    const std::string out = loadTable();
    EXPECT_EQ(generatedOrder(out), (std::vector<int>{5, 6, 3, 4, 2, 1, 7, 8, 9}));
    const char* const names[] = {"large/_LF.bmp", "large/_RT.bmp", "large/_DN.bmp", "large/_UP.bmp",
                                 "large/_BK.bmp", "large/_FR.bmp", "large/l1.bmp", "large/jet.bmp",
                                 "large/jetmask.bmp"};
    size_t at = 0;
    for (const char* name : names) {
        at = out.find(std::string("File name: ") + name + "\ndone!\n", at);
        ASSERT_NE(at, std::string::npos) << name;
    }
    for (int n = 1; n <= kTextureCount; n++) {
        EXPECT_EQ(param(n, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        EXPECT_EQ(param(n, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    }
    EXPECT_EQ(width(7), 1024);
}

TEST_F(TextureTable, MissingFileIsReportedWaitsForAKeyAndGetsAPlaceholder)
{
    scratchLeave();  // from the game's folder to an empty one
    scratchEnter();
    scratchWrite("l1.bmp", "BM this is not an image");

    const std::string out = loadTable("abcdz");
    EXPECT_NE(out.find("Generating Texture 1...\nFile name: test1.bmp\n"
                       "Could not find the BMP for texture number 1\nFile name: test1.bmp\n"
                       "Continuing without it...\n"),
              std::string::npos);
    EXPECT_NE(out.find("Could not find the BMP for texture number 7\nFile name: l1.bmp\n"),
              std::string::npos);
    EXPECT_EQ(generatedOrder(out), (std::vector<int>{1, 7, 8, 9}));

    // One key taken for each of the four failures, nothing echoed.
    EXPECT_EQ(keysTaken, 4);
    EXPECT_EQ(out.find("abcd"), std::string::npos);
    for (int n : {1, 7, 8, 9})
        EXPECT_EQ(width(n), 1);
}
