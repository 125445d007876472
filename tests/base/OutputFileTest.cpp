// The program's one writer: what it refuses, what it leaves when a write fails, and the modes it gives.
#include "base/OutputFile.h"

#include "support/Fixtures.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Writes `bytes` to `target` under `rules` and commits; the failure's reason, or "" on success.
std::string writeFile(const fs::path& target, const std::string& bytes, OutputFile::Rules rules = {}) {
    Result<OutputFile> file = OutputFile::create(target, std::move(rules));
    if (!file)
        return file.message();
    if (Status written = file->write(bytes); !written)
        return written.message();
    const Status committed = file->commit();
    return committed ? std::string() : committed.message();
}

mode_t modeOf(const fs::path& file) {
    struct stat info {};
    ::lstat(file.c_str(), &info);
    return info.st_mode & 07777;
}

// Sets the umask for one test.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask)
        : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

// A process that has ended, whose id names leftovers that may go.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        _exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(OutputFileTest, WritesAPrivateFileWhateverTheUmaskAndKeepsAStricterMode) {
    testing::TempDir dir;
    const ScopedUmask open(0);
    ASSERT_EQ(writeFile(dir / "new.txt", "one"), "");
    EXPECT_EQ(modeOf(dir / "new.txt"), 0600u);
    EXPECT_EQ(testing::fileContents(dir / "new.txt"), "one");

    // A file that others could read is replaced by a private one; one that its owner may write but
    // not read keeps that.
    fs::permissions(dir / "new.txt", fs::perms(0644));
    ASSERT_EQ(writeFile(dir / "new.txt", "two"), "");
    EXPECT_EQ(modeOf(dir / "new.txt"), 0600u);
    fs::permissions(dir / "new.txt", fs::perms(0200));
    ASSERT_EQ(writeFile(dir / "new.txt", "three"), "");
    EXPECT_EQ(modeOf(dir / "new.txt"), 0200u);

    // A file its owner made read-only stays as it is.
    fs::permissions(dir / "new.txt", fs::perms(0444));
    EXPECT_EQ(writeFile(dir / "new.txt", "four"), "it is read-only");
    fs::permissions(dir / "new.txt", fs::perms(0600));
    EXPECT_EQ(testing::fileContents(dir / "new.txt"), "three");
    EXPECT_EQ(testing::filesIn(dir.path()), std::vector<std::string>{"new.txt"});
}

TEST(OutputFileTest, NeverWritesThroughALinkOrIntoWhatIsNoRegularFile) {
    testing::TempDir dir;
    std::ofstream(dir / "ledger.txt") << "the ledger";
    fs::create_symlink(dir / "ledger.txt", dir / "link.txt");
    fs::create_symlink(dir / "link.txt", dir / "link-to-link.txt");
    fs::create_symlink(dir / "nowhere.txt", dir / "dangling.txt");
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);

    for (const char* name : {"link.txt", "link-to-link.txt", "dangling.txt"})
        EXPECT_EQ(writeFile(dir / name, "x"), "it is a symbolic link; name the file itself, not a link to it")
            << name;
    EXPECT_EQ(writeFile(dir / "folder", "x"), "it is a folder");
    EXPECT_EQ(writeFile(dir / "pipe", "x"), "it is not a regular file (a device, a pipe or a socket)");
    EXPECT_EQ(writeFile("/dev/full", "x"), "it is not a regular file (a device, a pipe or a socket)");
    EXPECT_EQ(writeFile(dir / "gone" / "a.txt", "x"),
              "the folder " + (dir / "gone").string() + " does not exist");

    EXPECT_EQ(testing::fileContents(dir / "ledger.txt"), "the ledger");
    EXPECT_FALSE(fs::exists(dir / "nowhere.txt"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_EQ(testing::filesIn(dir.path()),
              (std::vector<std::string>{"dangling.txt", "folder", "ledger.txt", "link-to-link.txt",
                                        "link.txt", "pipe"}));
}

// Refuses every file named "kept.*", the way the program keeps its own files out of reach.
class KeptFiles : public ProtectedFiles {
public:
    std::optional<std::string> refusal(const fs::path& target, const std::optional<FileId>&) const override {
        if (target.stem() == "kept")
            return "it is kept";
        return std::nullopt;
    }
};

TEST(OutputFileTest, ATargetTakenMeanwhileOrProtectedIsLeftAsItIs) {
    testing::TempDir dir;
    const OutputFile::Rules newOnly{WhenExisting::Refuse, std::make_shared<KeptFiles>()};
    EXPECT_EQ(writeFile(dir / "kept.pdf", "x", newOnly), "it is kept");
    std::ofstream(dir / "taken.pdf") << "earlier";
    EXPECT_EQ(writeFile(dir / "taken.pdf", "x", newOnly), "it already exists");

    // The name is free when the writer starts and taken when it ends: the other file stays.
    Result<OutputFile> file = OutputFile::create(dir / "late.pdf", newOnly);
    ASSERT_TRUE(file) << file.message();
    ASSERT_TRUE(file->write("mine"));
    std::ofstream(dir / "late.pdf") << "theirs";
    const Status committed = file->commit();
    EXPECT_EQ(committed.message(), "it already exists");
    EXPECT_EQ(file->errorNumber(), EEXIST);
    EXPECT_EQ(testing::fileContents(dir / "late.pdf"), "theirs");
    EXPECT_EQ(testing::filesIn(dir.path()), (std::vector<std::string>{"late.pdf", "taken.pdf"}));

    // Turned into a link meanwhile: refused again when it is published.
    Result<OutputFile> second = OutputFile::create(dir / "moved.pdf", {});
    ASSERT_TRUE(second);
    fs::create_symlink(dir / "taken.pdf", dir / "moved.pdf");
    EXPECT_FALSE(second->commit());
    EXPECT_EQ(testing::fileContents(dir / "taken.pdf"), "earlier");
}

TEST(OutputFileTest, AFileSizeLimitFailsTheWriteAndKeepsTheEarlierFile) {
    testing::TempDir dir;
    std::ofstream(dir / "out.txt") << "yesterday";
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        Result<OutputFile> file = OutputFile::create(dir / "out.txt", {});
        if (!file)
            _exit(10);
        // Written in pieces, the last of which crosses the limit: a short write, then EFBIG.
        Status written;
        for (int i = 0; i < 10 && written; ++i)
            written = file->write(std::string(1000, 'x'));
        const bool told = !written && written.message().find("file-size limit") != std::string::npos &&
                          file->errorNumber() == EFBIG && !file->commit();
        _exit(told ? 0 : 11);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(testing::fileContents(dir / "out.txt"), "yesterday");
    EXPECT_EQ(testing::filesIn(dir.path()), std::vector<std::string>{"out.txt"});
}

TEST(OutputFileTest, TemporariesOfDeadProcessesAreKnownByNameAndGoNothingElseDoes) {
    testing::TempDir dir;
    const std::string dead = std::to_string(endedProcess());
    const std::string running = std::to_string(::getpid());
    EXPECT_EQ(temporaryNameFor(dir / "out.pdf", 1234), dir / ".out.pdf.tmp-1234");
    // A writer clears what killed runs left in the folder it writes to, and nothing else: not a
    // running process's file, not a name of another pattern, not a link.
    for (const std::string& name :
         {".out.pdf.tmp-" + dead, ".EXPORT.TXT.tmp-" + dead, ".A.bak.tmp-" + dead + "-journal",
          ".EXPORT.TXT.tmp-" + running, std::string(".out.pdf.tmp-x1"), "out.pdf.tmp-" + dead})
        std::ofstream(dir / name) << "x";
    fs::create_symlink(dir / "out.pdf", dir / (".link.pdf.tmp-" + dead));
    ASSERT_EQ(writeFile(dir / "out.pdf", "new"), "");
    EXPECT_EQ(testing::filesIn(dir.path()),
              (std::vector<std::string>{".EXPORT.TXT.tmp-" + running, ".link.pdf.tmp-" + dead,
                                        ".out.pdf.tmp-x1", "out.pdf", "out.pdf.tmp-" + dead}));
}

} // namespace
} // namespace velmora
