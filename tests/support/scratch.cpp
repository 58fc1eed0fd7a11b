// scratch.cpp -- a scratch folder made, entered and removed, one at a time.
#include "support/scratch.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

static struct {
    std::string cwd;
    std::string scratch;  // empty: the working folder is not ours to remove
} scratch;

void scratchEnterDir(const char* dir)
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    scratch.cwd = cwd;
    ASSERT_EQ(chdir(dir), 0) << dir;
}

void scratchEnter()
{
    char dir[] = "/tmp/vortavia-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    scratchEnterDir(dir);
    scratch.scratch = dir;
}

void scratchLeave()
{
    EXPECT_EQ(chdir(scratch.cwd.c_str()), 0);
    if (!scratch.scratch.empty())
        std::filesystem::remove_all(scratch.scratch);
    scratch = {};
}

void scratchWrite(const char* name, const std::string& text)
{
    FILE* f = fopen(name, "wb");
    ASSERT_NE(f, nullptr) << name;
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}
