// The file layer: device paths, atomic writes that no reader sees torn, text
// files, folders and the sandbox.

#include "sim/foundation/Files.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "tests/support/TempDeviceRoot.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace fnd;

TEST(DevicePaths, ResolveUnderTheRootAndNeverAboveIt) {
    testsupport::TempDeviceRoot root;
    EXPECT_EQ(hostPath("/var/mobile/Library/x"), root.path() / "var/mobile/Library/x");
    EXPECT_EQ(hostPath("/../../etc/passwd"), root.path() / "etc/passwd");
    EXPECT_EQ(hostPath("/var/mobile/../../../../x"), root.path() / "x");
    EXPECT_EQ(normalizeDevicePath("/private/var//mobile/./Library/"), "/var/mobile/Library");
    EXPECT_EQ(normalizeDevicePath("/var/mobile/Library/lumicrate/../x"), "/var/mobile/Library/x");
    EXPECT_EQ(normalizeDevicePath(""), "/");
}

TEST(Files, VarAndPrivateVarAreOneFolder) {
    testsupport::TempDeviceRoot root;
    ASSERT_TRUE(createDirectory("/var/mobile/Library/lumicrate/", true));
    ASSERT_TRUE(writeTextFileAtomically("/private/var/mobile/Library/lumicrate/settings.tct", "p"));
    EXPECT_EQ(readTextFile("/var/mobile/Library/lumicrate/settings.tct"), "p");
    EXPECT_TRUE(isDirectory("/private/var/mobile/Library/lumicrate"));
}

TEST(Files, TextFilesAreExactAndInvalidUtf8ReadsAsNone) {
    testsupport::TempDeviceRoot root;
    ASSERT_TRUE(writeTextFileAtomically("/var/mobile/Library/pw", "x"));
    EXPECT_EQ(readFile("/var/mobile/Library/pw"), "x"); // one character, no line end
    EXPECT_FALSE(writeTextFileAtomically("/var/mobile/Library/pw", "\xff\xfe"));
    EXPECT_EQ(readTextFile("/var/mobile/Library/pw"), "x"); // the failed write changed nothing
    std::ofstream(root.host("/var/mobile/Library/bad")) << "ok\xc3";
    EXPECT_FALSE(readTextFile("/var/mobile/Library/bad"));
    EXPECT_FALSE(readTextFile("/var/mobile/Library/absent"));
    EXPECT_TRUE(isValidUtf8("Trips ü 😀"));
    EXPECT_FALSE(isValidUtf8("\xed\xa0\x80")); // a surrogate
    EXPECT_FALSE(isValidUtf8("\xc0\xaf"));     // overlong
}

TEST(Files, AFolderOrAnOversizedFileIsNotReadAsAFile) {
    testsupport::TempDeviceRoot root;
    EXPECT_FALSE(readFile("/var/mobile/Library"));
    ASSERT_TRUE(writeFileAtomically("/var/mobile/Library/f", std::string(100, 'a')));
    EXPECT_FALSE(readFile("/var/mobile/Library/f", 99));
    EXPECT_TRUE(readFile("/var/mobile/Library/f", 100));
}

TEST(Files, AWriteIntoAMissingFolderFailsAndLeavesNothing) {
    testsupport::TempDeviceRoot root;
    EXPECT_FALSE(writeFileAtomically("/var/mobile/Library/nofolder/x.plist", "a"));
    EXPECT_FALSE(fileExists("/var/mobile/Library/nofolder"));
}

TEST(Files, ASandboxedProcessWritesOnlyInsideItsContainer) {
    testsupport::TempDeviceRoot root;
    ASSERT_TRUE(createDirectory("/var/mobile/Containers/Data/camera", true));
    ASSERT_TRUE(createDirectory("/var/mobile/Library/lumicrate", true));
    setProcessIdentity({"com.apple.camera", true, "/var/mobile/Containers/Data/camera"});
    EXPECT_TRUE(writeFileAtomically("/var/mobile/Containers/Data/camera/x", "1"));
    EXPECT_FALSE(writeFileAtomically("/var/mobile/Library/lumicrate/album.tct", "1"));
    EXPECT_FALSE(writeFileAtomically("/var/mobile/Containers/Data/camera/../../x", "1"));
    EXPECT_FALSE(writeFileAtomically("/var/mobile/Containers/Data/camera2/x", "1"));
    EXPECT_FALSE(createDirectory("/var/mobile/Library/other", true));
    EXPECT_FALSE(fileExists("/var/mobile/Library/lumicrate/album.tct"));
    setProcessIdentity({"com.apple.springboard", false, ""});
    EXPECT_TRUE(writeFileAtomically("/var/mobile/Library/lumicrate/album.tct", "1"));
}

// A writer in another process rewrites a large plist over and over and is
// killed in the middle; the reader must only ever see one whole version.
TEST(Files, AReaderInAnotherProcessNeverSeesATornFileEvenWhenTheWriterIsKilled) {
    testsupport::TempDeviceRoot root;
    const char* path = "/var/mobile/Library/lockedAlbums.plist";
    auto version = [](int v) {
        Array a;
        for (int i = 0; i < 30000; ++i)
            a.push_back(Value("v" + std::to_string(v)));
        return Value(a);
    };
    const Value a = version(1), b = version(2);
    ASSERT_TRUE(writePlistFile(path, a));

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        ::close(ready[0]);
        for (int i = 0;; ++i) {
            writePlistFile(path, i % 2 ? a : b);
            if (i == 2) {
                char c = 1;
                [[maybe_unused]] ssize_t n = ::write(ready[1], &c, 1);
            }
        }
    }
    ::close(ready[1]);
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1); // the writer is in its loop
    int reads = 0;
    for (; reads < 60; ++reads) {
        auto v = readPlistFile(path);
        ASSERT_TRUE(v) << "read " << reads << " saw a torn or missing file";
        ASSERT_TRUE(*v == a || *v == b);
    }
    ::kill(writer, SIGKILL);
    int status = 0;
    ::waitpid(writer, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    auto last = readPlistFile(path);
    ASSERT_TRUE(last);
    EXPECT_TRUE(*last == a || *last == b);
}

TEST(Files, AWriteThatFollowsNoLinkRefusesOneAnywhereOnThePathAndLeavesNothingBehind) {
    testsupport::TempDeviceRoot root;
    namespace fs = std::filesystem;
    ASSERT_TRUE(fnd::createDirectory("/var/mobile/Library/state", true));
    auto ok = fnd::writeFileAtomicallyNoFollow("/var/mobile/Library/state/list.plist", "one");
    ASSERT_TRUE(ok.ok) << ok.why;
    EXPECT_EQ(fnd::readFile("/private/var/mobile/Library/state/list.plist"), "one") << "/var is /private/var";
    ok = fnd::writeFileAtomicallyNoFollow("/private/var/mobile/Library/state/list.plist", "two");
    ASSERT_TRUE(ok.ok) << ok.why;
    EXPECT_EQ(fnd::readFile("/var/mobile/Library/state/list.plist"), "two");

    // The file itself a link, a folder on the way a link, a folder missing, a file where a folder goes.
    fs::create_symlink("list.plist", fnd::hostPath("/var/mobile/Library/state/alias.plist"));
    EXPECT_EQ(fnd::writeFileAtomicallyNoFollow("/var/mobile/Library/state/alias.plist", "x").why,
              "the file is a symbolic link");
    fs::create_symlink("state", fnd::hostPath("/var/mobile/Library/linked"));
    EXPECT_EQ(fnd::writeFileAtomicallyNoFollow("/var/mobile/Library/linked/list.plist", "x").why,
              "/private/var/mobile/Library/linked is a symbolic link");
    EXPECT_EQ(fnd::writeFileAtomicallyNoFollow("/var/mobile/Library/none/list.plist", "x").why,
              "/private/var/mobile/Library/none is not a folder");
    EXPECT_EQ(fnd::writeFileAtomicallyNoFollow("/var/mobile/Library/state/list.plist/x", "x").why,
              "/private/var/mobile/Library/state/list.plist is not a folder");
    EXPECT_EQ(fnd::readFile("/var/mobile/Library/state/list.plist"), "two") << "nothing refused was written";
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(fnd::hostPath("/var/mobile/Library/state")))
        ++entries;
    EXPECT_EQ(entries, 2u) << "no temporary file left behind";
}

TEST(Files, AFifoOrALinkWhereAFileGoesReadsAsNoneAtOnce) {
    testsupport::TempDeviceRoot root;
    ASSERT_TRUE(fnd::createDirectory("/var/mobile/Library/state", true));
    // No writer ever opens the FIFO: a blocking open would wait for ever
    // (and the reaper would end this test).
    ASSERT_EQ(::mkfifo(fnd::hostPath("/var/mobile/Library/state/album.tct").c_str(), 0644), 0);
    EXPECT_FALSE(fnd::readFile("/var/mobile/Library/state/album.tct"));
    EXPECT_FALSE(fnd::readArrayFile("/var/mobile/Library/state/album.tct"));
    ASSERT_TRUE(fnd::writeFileAtomically("/var/mobile/Library/state/real.plist", "real"));
    std::filesystem::create_symlink("real.plist", fnd::hostPath("/var/mobile/Library/state/link.plist"));
    EXPECT_FALSE(fnd::readFile("/var/mobile/Library/state/link.plist"));
    EXPECT_EQ(fnd::readFile("/var/mobile/Library/state/real.plist"), "real");
    EXPECT_FALSE(fnd::readFile("/var/mobile/Library/state/real.plist", 3)) << "more than the reader takes";
}

TEST(Files, TheTemporaryFilesOfAWriterKilledMidWriteAreRemovedWhenAWriterStartsOrFails) {
    testsupport::TempDeviceRoot root;
    const std::string folder = "/var/mobile/Library/state/";
    ASSERT_TRUE(fnd::createDirectory(folder, true));
    auto temporaries = [&] {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(fnd::hostPath(folder)))
            if (e.path().filename().string().find(".lumitmp-") != std::string::npos)
                out.push_back(e.path().filename().string());
        return out;
    };
    // A writer in another process, killed while it writes a large file.
    for (int kill = 0; kill < 3; ++kill) {
        pid_t child = ::fork();
        if (child == 0) {
            fnd::writeFileAtomicallyNoFollow(folder + "list.plist", std::string(200u << 20, 'x'));
            ::_exit(0);
        }
        ASSERT_GT(child, 0);
        while (temporaries().size() <= static_cast<std::size_t>(kill))
            ::sched_yield();
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    ASSERT_EQ(temporaries().size(), 3u) << "each killed writer left its temporary file";
    // This process's own leftover (from before it started writing) and a live writer's.
    ASSERT_TRUE(fnd::writeFileAtomically(folder + ".list.plist.lumitmp-" + std::to_string(::getpid()) + "-1", "x"));
    ASSERT_TRUE(fnd::writeFileAtomically(folder + ".list.plist.lumitmp-1-live", "x")); // pid 1 never dies
    fnd::removeStaleTemporaryFiles(folder);
    EXPECT_EQ(temporaries().size(), 2u) << "a failed or started write clears the dead writers' files only";
    fnd::removeStaleTemporaryFiles(folder, true);
    EXPECT_EQ(temporaries(), std::vector<std::string>{".list.plist.lumitmp-1-live"});
}

// A stamp changes with every atomic write (a new file), is not trusted while
// the file is fresh, and names a FIFO or a link as something never cached.
TEST(Files, AFileStampChangesWithEachWriteAndIsSettledOnlyOnceTheFileIsOld) {
    testsupport::TempDeviceRoot root;
    EXPECT_EQ(fileStamp("/f").kind, FileStamp::Kind::Absent);
    EXPECT_TRUE(fileStamp("/f").settled());
    ASSERT_TRUE(writeFileAtomicallyAsSystem("/f", "one"));
    FileStamp first = fileStamp("/f");
    EXPECT_EQ(first.kind, FileStamp::Kind::Regular);
    EXPECT_FALSE(first.settled()) << "written just now";
    ASSERT_TRUE(writeFileAtomicallyAsSystem("/f", "two"));
    EXPECT_NE(fileStamp("/f"), first) << "same size, same tick: a new file all the same";
    timespec old[2] = {{1'000'000, 0}, {1'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, hostPath("/f").c_str(), old, 0), 0);
    FileStamp aged = fileStamp("/f");
    EXPECT_EQ(aged.modifiedNs, 1'000'000LL * 1'000'000'000LL);
    EXPECT_FALSE(aged.settled()) << "setting the times is a change: the change time is now";
    ASSERT_EQ(::mkfifo(hostPath("/fifo").c_str(), 0666), 0);
    EXPECT_EQ(fileStamp("/fifo").kind, FileStamp::Kind::Other);
    EXPECT_FALSE(fileStamp("/fifo").settled());
}
