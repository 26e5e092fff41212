// Saves that cannot be written, on a full file system and in a read-only folder: every save
// path says why after "Ne peut écrire le fichier", and the file that was there stays whole.
#include "core/anim/anim_save.h"
#include "core/document/open_image.h"
#include "core/formats/fits_reader.h"
#include "core/formats/fits_test_files.h"
#include "core/formats/fits_writer.h"
#include "core/formats/recording_host.h"
#include "core/formats/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/mount.h>
#include <unistd.h>

using namespace orv;
using orv::formats_test::TRecordingHost;
using orv::formats_test::TTempDir;

namespace {

// A small tmpfs mounted on a folder of its own (which needs root), unmounted at the end.
class TSmallTmpfs {
  public:
    explicit TSmallTmpfs(const std::string& path) : Path(path) {
        std::filesystem::create_directory(Path);
        Mounted = ::mount("tmpfs", Path.c_str(), "tmpfs", 0, "size=256k") == 0;
    }
    ~TSmallTmpfs() {
        if (Mounted) ::umount2(Path.c_str(), MNT_DETACH);
    }
    // Fills what room is left with one file.
    void Fill() const {
        const int fd = ::open((Path + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
        const std::vector<char> block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
    }
    bool ReadOnly() const {
        return ::mount(nullptr, Path.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

    std::string Path;
    bool Mounted = false;
};

struct TSave {
    const char* name;
    std::function<void(const std::string& path)> save;
};

// Each save writes to its own file, where an old file is; none may go through.
void ExpectEverySaveRefused(const std::vector<TSave>& saves, const std::string& folder,
                            const std::function<void()>& spoil, const std::string& reason) {
    const std::vector<uint8_t> old{'o', 'l', 'd'};
    for (const TSave& s : saves)
        std::ofstream(folder + "/" + s.name).write("old", 3);
    spoil();
    for (const TSave& s : saves) {
        SCOPED_TRACE(s.name);
        const std::string path = folder + "/" + s.name;
        try {
            s.save(path);
            ADD_FAILURE() << "written";
        } catch (const EFileError& e) {
            EXPECT_EQ(std::string(e.what()), "Ne peut écrire le fichier " + path + "\n" + reason);
        }
        EXPECT_EQ(TTempDir::Read(path), old);
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_FALSE(entry.path().string().ends_with(".orvanel-tmp")) << entry.path();
}

class SaveFailures : public ::testing::Test {
  protected:
    void SetUp() override {
        // Noise, so that no compressed form fits in a few blocks.
        std::vector<uint64_t> values(128 * 128);
        uint32_t x = 12345;
        for (uint64_t& v : values)
            v = (x = x * 1103515245 + 12345) >> 16 & 0x7FFF;
        TRecordingHost host;
        ASSERT_EQ(LoadFitsFromBytes(
                      fits_,
                      test::TFitsBuilder().Image(16, 128, 128).End().Blanks().BigEndian(values, 2).Bytes,
                      "n.fit", host),
                  TLoadResult::Loaded);
        pic_ = fits_;
        pic_.Kind = kKindPic;
        TAnimImg frame;
        frame.Bitmap = TBitmap::FromBmpFile(fits_.DisplayStream);
        frame.Name = "n.fit";
        frames_ = {frame, frame};
    }

    std::vector<TSave> Saves() {
        return {
            {"f.fit", [this](const std::string& p) { SaveImage(fits_, p); }},
            {"f.fit.gz", [this](const std::string& p) { SaveFits(fits_, p); }},
            {"f.pic", [this](const std::string& p) { SaveImage(pic_, p); }},
            {"f.bmp",
             [this](const std::string& p) {
                 TImageDocument bmp = fits_;
                 bmp.Kind = kKindBmp;
                 TRecordingHost host;
                 SaveByKind(bmp, p, host);
             }},
            {"f.gif",
             [this](const std::string& p) {
                 TRecordingHost host;
                 WriteDisplayedPictureAsGif(fits_, p, host);
             }},
            {"anim.gif",
             [this](const std::string& p) {
                 TProgress progress;
                 SaveAnimation(frames_, p, progress, {}, 2);
             }},
        };
    }

    TImageDocument fits_, pic_;
    std::vector<TAnimImg> frames_;
};

} // namespace

TEST_F(SaveFailures, AFullFileSystemSaysSoAndKeepsTheOldFile) {
    TTempDir dir;
    TSmallTmpfs tmpfs(dir.File("full"));
    if (!tmpfs.Mounted) GTEST_SKIP() << "a tmpfs cannot be mounted here (root only): no full disk tried";
    ExpectEverySaveRefused(
        Saves(), tmpfs.Path, [&] { tmpfs.Fill(); }, "Plus de place sur le disque");
}

TEST_F(SaveFailures, AReadOnlyFolderSaysSoAndKeepsTheOldFile) {
    TTempDir dir;
    if (::geteuid() != 0) {
        // A user's folder without write permission.
        const std::string folder = dir.File("locked");
        std::filesystem::create_directory(folder);
        ExpectEverySaveRefused(
            Saves(), folder,
            [&] {
                std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::owner_exec);
            },
            "Permission refusée");
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        return;
    }
    // Root writes whatever the permissions say: a read-only mount stops it.
    TSmallTmpfs tmpfs(dir.File("ro"));
    if (!tmpfs.Mounted)
        GTEST_SKIP() << "running as root where a tmpfs cannot be mounted: no read-only folder tried";
    ExpectEverySaveRefused(
        Saves(), tmpfs.Path, [&] { ASSERT_TRUE(tmpfs.ReadOnly()); }, "Système de fichiers en lecture seule");
}
