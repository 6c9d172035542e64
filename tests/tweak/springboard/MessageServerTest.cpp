// SpringBoard's array writer, with a sandboxed Camera app as the client, on
// the in-process device: writes in arrival order, and the refusals that
// keep a client from writing anything but its state files.

#include "tweak/springboard/MessageServer.h"

#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/SystemLog.h"
#include "sim/ipc/InProcessDevice.h"
#include "sim/ipc/MessagingCenter.h"
#include "tests/support/TempDeviceRoot.h"
#include "tweak/core/StateFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

using fnd::Array;
using fnd::Value;
using namespace rt::literals;

namespace {

struct ArrayWriter : ::testing::Test {
    testsupport::TempDeviceRoot root;
    std::shared_ptr<dsp::ManualClock> clock = std::make_shared<dsp::ManualClock>();
    dsp::RunLoop loop{clock};
    ipc::InProcessDevice device;
    ipc::InProcessDevice::Process springboard, camera, photos;
    fnd::ProcessIdentity me;
    rt::Ref<rt::Object> app;

    void SetUp() override {
        dsp::RunLoop::setMain(&loop);
        fnd::createDirectory(lc::kStateFolder, true);
        springboard = device.connect({101, std::string("com.apple.springboard"), false, true}, &loop);
        camera = device.connect({102, std::string("com.apple.camera"), true, false}, &loop);
        photos = device.connect({103, std::string("com.apple.mobileslideshow"), true, false}, &loop);
        rt::Class* cls = rt::defineClass("ArrayWriterSpringBoard");
        rt::addMethod<&lc::handleMessageNamedWithUserInfo>(cls, "handleMessageNamed:withUserInfo:"_sel, "v@:@@");
        app = rt::sendClass<rt::Ref<rt::Object>>(cls, "new"_sel);
        ipc::Endpoint::setShared(springboard.endpoint.get());
        lc::startMessageServer(app);
        loop.runUntilIdle();
        ASSERT_TRUE(springboard.endpoint->isServing(lc::kCenterName));
        // From here on this process is the Photos app, whose the locked list is.
        from(photos);
    }
    // This process becomes the app `p` is: its messages go out stamped so.
    void from(ipc::InProcessDevice::Process& p) {
        ipc::Endpoint::setShared(p.endpoint.get());
        const std::string bundle = &p == &camera ? "com.apple.camera" : "com.apple.mobileslideshow";
        me = {bundle, true, "/var/mobile/Containers/Data/Application/" + bundle};
        fnd::setProcessIdentity(me);
    }
    void TearDown() override {
        ipc::Endpoint::setShared(nullptr);
        dsp::RunLoop::setMain(nullptr);
    }
    // SpringBoard's main loop handles what the app sent, as SpringBoard.
    void deliver() {
        fnd::setProcessIdentity({"com.apple.springboard", false, ""});
        loop.runUntilIdle();
        fnd::setProcessIdentity(me);
    }
    std::optional<Array> lockedFile() { return fnd::readArrayFile(lc::kdataPath); }
};

} // namespace

TEST_F(ArrayWriter, TwoQuickWritesLeaveTheSecondAndAnEmptyArrayIsWritten) {
    lc::saveArrayToFile({Value("Trips")}, lc::kdataPath);
    lc::saveArrayToFile({Value("Trips"), Value("Rome")}, lc::kdataPath);
    deliver();
    EXPECT_EQ(lockedFile(), (Array{Value("Trips"), Value("Rome")}));
    lc::saveArrayToFile({}, lc::kdataPath);
    from(camera);
    lc::saveArrayToFile({Value("Camera Roll")}, lc::kCameraAlbumTctPath);
    deliver();
    EXPECT_EQ(lockedFile(), Array{}) << "an empty list is a file holding an empty array";
    EXPECT_EQ(lc::readAlbumTct(), "Camera Roll");
    EXPECT_FALSE(fnd::writeFileAtomically(lc::kdataPath, "x")) << "the camera itself may not write there";
}

TEST_F(ArrayWriter, AnythingButAnArrayOfStringsForAStateFileIsRefusedAndLogged) {
    lc::saveArrayToFile({Value("Trips")}, lc::kdataPath);
    deliver();
    std::vector<std::string> refusals;
    fnd::setLogSink([&](fnd::LogLevel, const std::string& line) {
        if (line.find("savearray refused") != std::string::npos) refusals.push_back(line);
    });
    for (const std::string path :
         {"/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist",
          "/var/mobile/Library/lumicrate/settings.tct", "/var/mobile/Library/lumicrate/../lumicrate/lockedAlbums.plist",
          "/var/mobile/Library/lumicrate/other.plist", "lockedAlbums.plist"})
        lc::saveArrayToFile({Value("x")}, path);
    lc::saveArrayToFile({Value("Trips"), Value(3)}, lc::kdataPath);
    // A message without its array, or with garbage for it, sent by hand.
    auto centre = ipc::MessagingCenter::centerNamed(lc::kCenterName);
    ipc::rocketbootstrap_distributedmessagingcenter_apply(centre.get());
    centre->sendMessageName(lc::kSaveArrayMessage, {{"path", Value(lc::kdataPath)}});
    centre->sendMessageName(lc::kSaveArrayMessage, {{"path", Value(lc::kdataPath)}, {"array", Value("Rome")}});
    centre->sendMessageName(lc::kSaveArrayMessage, {{"array", Value(Array{Value("Rome")})}});
    deliver();
    EXPECT_EQ(lockedFile(), Array{Value("Trips")}) << "nothing refused was written";
    EXPECT_EQ(refusals.size(), 9u) << "one line for each refusal";
    EXPECT_FALSE(fnd::fileExists("/var/mobile/Library/lumicrate/settings.tct"));
    EXPECT_FALSE(fnd::fileExists("/var/mobile/Library/lumicrate/other.plist"));
    EXPECT_FALSE(fnd::fileExists("/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist"));

    // A symlink planted where album.tct goes is not written through.
    std::filesystem::create_symlink(fnd::hostPath("/var/mobile/Library/Preferences/victim.plist"),
                                    fnd::hostPath(lc::kAlbumTctPath));
    from(camera);
    lc::saveArrayToFile({Value("Trips")}, lc::kCameraAlbumTctPath);
    deliver();
    EXPECT_FALSE(fnd::fileExists("/var/mobile/Library/Preferences/victim.plist"));
    EXPECT_EQ(refusals.size(), 10u);
    fnd::setLogSink(nullptr);
}

TEST_F(ArrayWriter, AStateFolderReplacedByALinkIsNotWrittenThroughAndTheLineSaysWhy) {
    std::vector<std::string> refusals;
    fnd::setLogSink([&](fnd::LogLevel, const std::string& line) {
        if (line.find("savearray refused") != std::string::npos) refusals.push_back(line);
    });
    // The state folder made a link to the preferences folder, and (later) a
    // folder higher up made a link to a copy of the tree elsewhere.
    namespace fs = std::filesystem;
    fs::remove_all(fnd::hostPath(lc::kStateFolder));
    fs::create_directories(fnd::hostPath("/var/mobile/Library/Preferences"));
    fs::create_symlink("Preferences", fnd::hostPath("/private/var/mobile/Library/lumicrate"));
    lc::saveArrayToFile({Value("Trips")}, lc::kdataPath);
    from(camera);
    lc::saveArrayToFile({Value("Trips")}, "/private/var/mobile/Library/lumicrate/album.tct");
    deliver();
    from(photos);
    EXPECT_FALSE(fnd::fileExists("/var/mobile/Library/Preferences/lockedAlbums.plist"));
    EXPECT_FALSE(fnd::fileExists("/var/mobile/Library/Preferences/album.tct"));
    ASSERT_EQ(refusals.size(), 2u);
    EXPECT_NE(refusals[0].find("/private/var/mobile/Library/lumicrate is a symbolic link"), std::string::npos)
        << refusals[0];

    fs::remove(fnd::hostPath("/private/var/mobile/Library/lumicrate"));
    fs::create_directories(fnd::hostPath("/tmp/elsewhere/Library/lumicrate"));
    fs::rename(fnd::hostPath("/private/var/mobile/Library"), fnd::hostPath("/private/var/mobile/Library.real"));
    fs::create_symlink(fnd::hostPath("/tmp/elsewhere/Library"), fnd::hostPath("/private/var/mobile/Library"));
    lc::saveArrayToFile({Value("Trips")}, lc::kdataPath);
    deliver();
    EXPECT_FALSE(fnd::fileExists("/tmp/elsewhere/Library/lumicrate/lockedAlbums.plist"));
    ASSERT_EQ(refusals.size(), 3u);
    EXPECT_NE(refusals[2].find("/private/var/mobile/Library is a symbolic link"), std::string::npos) << refusals[2];
    fnd::setLogSink(nullptr);
}

// A state file is written only for its own app, as the device knows the
// sender: the locked list for Photos, album.tct for the Camera. Another app
// emptying the locked list would open every locked album; its "id" says
// what it likes.
TEST_F(ArrayWriter, AStateFileIsWrittenOnlyForItsOwnAppWhateverTheMessageSaysItIs) {
    lc::saveArrayToFile({Value("Trips")}, lc::kdataPath);
    deliver();
    std::vector<std::string> refusals;
    fnd::setLogSink([&](fnd::LogLevel, const std::string& line) {
        if (line.find("savearray refused") != std::string::npos) refusals.push_back(line);
    });
    auto gallery = device.connect({104, std::string("com.example.gallery"), true, false}, &loop);
    ipc::Endpoint::setShared(gallery.endpoint.get());
    auto centre = ipc::MessagingCenter::centerNamed(lc::kCenterName);
    ipc::rocketbootstrap_distributedmessagingcenter_apply(centre.get());
    centre->sendMessageName(
        lc::kSaveArrayMessage,
        {{"id", Value("com.apple.mobileslideshow")}, {"array", Value(Array{})}, {"path", Value(lc::kdataPath)}});
    centre->sendMessageName(lc::kSaveArrayMessage,
                            {{"array", Value(Array{Value("Rome")})}, {"path", Value(lc::kAlbumTctPath)}});
    from(camera);
    lc::saveArrayToFile({}, lc::kdataPath);
    from(photos);
    lc::saveArrayToFile({Value("Rome")}, lc::kCameraAlbumTctPath);
    deliver();
    EXPECT_EQ(lockedFile(), Array{Value("Trips")}) << "the list is as Photos left it";
    EXPECT_FALSE(fnd::fileExists(lc::kAlbumTctPath));
    ASSERT_EQ(refusals.size(), 4u);
    EXPECT_NE(refusals[0].find("lockedAlbums.plist is not for com.example.gallery to write"), std::string::npos)
        << refusals[0];
    EXPECT_NE(refusals[2].find("is not for com.apple.camera to write"), std::string::npos) << refusals[2];
    fnd::setLogSink(nullptr);
}
