#include "rc/ResourceCompiler.h"
#include "testsupport/MachineFixture.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

class ResourceCompilerTest : public testsupport::MachineFixture {
protected:
    fs::path Write(const fs::path& path, const std::string& text)
    {
        fs::create_directories(path.parent_path());
        WriteHostFile(path, text);
        return path;
    }

    // Runs the built tool; its exit status and what it wrote to stderr.
    static std::pair<int, std::string> RunTool(const std::string& arguments)
    {
        std::string command = std::string(MARLWICK_RC_PROGRAM) + " " + arguments + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        std::string output;
        char buffer[256];
        while (pipe && fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        int status = pipe ? pclose(pipe) : -1;
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
    }
};

TEST_F(ResourceCompilerTest, ScriptErrorsNameTheScriptAndTheLine)
{
    fs::path script = Write(m_root / "res" / "Bad.rc", "// one\n7 DIALOGEX 0, 0, 10, 10\nBEGIN\n"
                                                       "    LTEXT \"x\", 5, 1, 1, 1, 1, SS_BOGUS\nEND\n");
    rc::CompileResult result = rc::CompileResourceScript(script, "res/Bad.rc", {});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "res/Bad.rc:4: error: unknown symbol SS_BOGUS");

    Write(script, "\n\n130 ICON \"missing.ico\"\n");
    result = rc::CompileResourceScript(script, "res/Bad.rc", {});
    EXPECT_EQ(result.error, "res/Bad.rc:3: error: cannot read missing.ico");

    result = rc::CompileResourceScript(m_root / "none.rc", "none.rc", {});
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("none.rc"), std::string::npos);
}

TEST_F(ResourceCompilerTest, FilesAreFoundBesideTheScriptBeforeTheSearchFolders)
{
    fs::path script = Write(m_root / "res" / "Good.rc", "131 ICON \"a.ico\"\n5 BITMAP \"b.bmp\"\n");
    Write(m_root / "res" / "a.ico", "beside");
    Write(m_root / "art" / "a.ico", "searched");
    Write(m_root / "art" / "b.bmp", "only here");
    rc::CompileResult result = rc::CompileResourceScript(script, "res/Good.rc", {m_root / "art"});
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.inputs.size(), 3u);
    EXPECT_EQ(result.inputs[0], script);
    EXPECT_EQ(result.inputs[1], m_root / "res" / "a.ico");
    EXPECT_EQ(result.inputs[2], m_root / "art" / "b.bmp");
    EXPECT_NE(result.source.find("\"a.ico\""), std::string::npos);
    // "beside" in the generated octal escapes, and not the searched file.
    EXPECT_NE(result.source.find("\\142\\145\\163\\151\\144\\145"), std::string::npos);
    EXPECT_EQ(result.source.find("\\163\\145\\141\\162\\143\\150"), std::string::npos);

    std::string depfile = rc::DependencyFile(m_root / "out dir" / "x.cpp", result.inputs);
    EXPECT_EQ(depfile.rfind((m_root / "out\\ dir" / "x.cpp").string() + ":", 0), 0u) << depfile;
    EXPECT_NE(depfile.find((m_root / "art" / "b.bmp").string()), std::string::npos);
}

TEST_F(ResourceCompilerTest, TheToolFailsTheBuildStepOnAnErrorAndWritesNothing)
{
    fs::path script = Write(m_root / "Bad.rc", "STRINGTABLE\nBEGIN\n    101 \"a\"\n    102\nEND\n");
    fs::path output = m_root / "out.cpp";
    auto [status, message] = RunTool(script.string() + " " + output.string() + " " + (m_root / "out.d").string()
                                     + " --name res/Bad.rc");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(message, "res/Bad.rc:5: error: expected a string\n");
    EXPECT_FALSE(fs::exists(output));

    Write(script, "STRINGTABLE\nBEGIN\n    101 \"a\"\nEND\n");
    std::tie(status, message) = RunTool(script.string() + " " + output.string() + " " + (m_root / "out.d").string());
    EXPECT_EQ(status, 0) << message;
    EXPECT_TRUE(fs::exists(output));
    EXPECT_TRUE(fs::exists(m_root / "out.d"));
}

TEST_F(ResourceCompilerTest, EveryScriptOfTheProgramsBuilds)
{
    int scripts = 0;
    for (const auto& entry : fs::directory_iterator(MARLWICK_RESOURCES_DIR)) {
        if (entry.path().extension() != ".rc")
            continue;
        ++scripts;
        rc::CompileResult result = rc::CompileResourceScript(entry.path(), entry.path().filename().string(),
                                                             {MARLWICK_ARTWORK_DIR});
        EXPECT_TRUE(result.ok) << result.error;
    }
    EXPECT_GE(scripts, 2);
}

TEST_F(ResourceCompilerTest, EachProgramCarriesItsOwnScript)
{
    auto read = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const std::string marlwick = read(fs::path(MARLWICK_PROGRAMS_DIR) / "Marlwick");
    const std::string stavrel = read(fs::path(MARLWICK_PROGRAMS_DIR) / "Stavrel");
    const std::string marlwickScript = read(fs::path(MARLWICK_RESOURCES_DIR) / "Marlwick.rc");
    const std::string stavrelScript = read(fs::path(MARLWICK_RESOURCES_DIR) / "Stavrel.rc");
    ASSERT_FALSE(marlwick.empty());
    ASSERT_FALSE(stavrel.empty());
    // The whole script, as the program registers it when it starts.
    EXPECT_NE(marlwick.find(marlwickScript), std::string::npos);
    EXPECT_NE(stavrel.find(stavrelScript), std::string::npos);
    EXPECT_EQ(stavrel.find(marlwickScript), std::string::npos) << "Stavrel carries nothing of Marlwick";
}

TEST_F(ResourceCompilerTest, ANumberTooLargeIsAnErrorOfTheScriptNotACrash)
{
    fs::path script = Write(m_root / "Huge.rc", "// huge\n1 DIALOGEX 0, 0, 99999999999999999999, 10\nBEGIN\nEND\n");
    fs::path output = m_root / "out.cpp";
    auto [status, message] = RunTool(script.string() + " " + output.string() + " " + (m_root / "out.d").string()
                                     + " --name res/Huge.rc");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(message, "res/Huge.rc:2: error: number too large: 99999999999999999999\n");
    EXPECT_FALSE(fs::exists(output));
}
