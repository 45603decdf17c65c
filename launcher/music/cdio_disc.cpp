#include "cdio_disc.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

namespace orveline {
namespace {

// Music failures are silent: libcdio's own warnings would otherwise go to stderr.
void quietLog(cdio_log_level_t, const char*) {}

bool isImageDriver(driver_id_t id) {
    return id == DRIVER_BINCUE || id == DRIVER_CDRDAO || id == DRIVER_NRG;
}

}  // namespace

struct CdioDisc::Handles {
    CdIo_t* cdio = nullptr;
    cdrom_drive_t* drive = nullptr;  // paranoia's view of a real drive
    cdrom_paranoia_t* paranoia = nullptr;
    std::int32_t nextParanoiaSector = -1;

    ~Handles() {
        if (paranoia) cdio_paranoia_free(paranoia);
        if (drive) cdio_cddap_close_no_free_cdio(drive);
        if (cdio) cdio_destroy(cdio);
    }
};

CdioDisc::CdioDisc(std::string source, bool anyDriver, std::unique_ptr<Handles> handles)
    : source_(std::move(source)), anyDriver_(anyDriver), handles_(std::move(handles)) {
    image_ = isImageDriver(cdio_get_driver_id(handles_->cdio));
    if (image_) stampOf(source_, stamp_);
}
CdioDisc::~CdioDisc() = default;

std::unique_ptr<CdioDisc::Handles> CdioDisc::openHandles(const std::string& source,
                                                         bool anyDriver) {
    auto handles = std::make_unique<Handles>();
    handles->cdio = cdio_open(source.c_str(), anyDriver ? DRIVER_UNKNOWN : DRIVER_DEVICE);
    if (handles->cdio == nullptr) return nullptr;
    if (!isImageDriver(cdio_get_driver_id(handles->cdio))) {
        handles->drive = cdio_cddap_identify_cdio(handles->cdio, CDDA_MESSAGE_FORGETIT, nullptr);
        if (handles->drive && cdio_cddap_open(handles->drive) == 0) {
            handles->paranoia = cdio_paranoia_init(handles->drive);
            if (handles->paranoia) {
                cdio_paranoia_modeset(handles->paranoia,
                                      PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
            }
        }
    }
    return handles;
}

std::unique_ptr<CdioDisc> CdioDisc::open(const std::string& source) {
    cdio_log_set_handler(quietLog);
    std::string path = source;
    if (path.empty()) {
        char* device = cdio_get_default_device(nullptr);
        if (device == nullptr) return nullptr;
        path = device;
        cdio_free(device);
    }
    const bool anyDriver = !source.empty();
    auto handles = openHandles(path, anyDriver);
    if (!handles) return nullptr;
    return std::unique_ptr<CdioDisc>(new CdioDisc(path, anyDriver, std::move(handles)));
}

bool CdioDisc::stampOf(const std::string& path, FileStamp& stamp) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return false;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modifiedNs =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return true;
}

void CdioDisc::followMediaChange() {
    if (image_) {
        // An image has no tray: a file replaced is a disc changed, a file gone an empty drive.
        FileStamp now;
        if (!stampOf(source_, now)) {
            handles_.reset();
            tracks_.clear();
            return;
        }
        if (handles_ && now == stamp_) return;
        handles_ = openHandles(source_, anyDriver_);
        stamp_ = now;
        tracks_.clear();
        return;
    }
    // NOTE: libcdio keeps a drive's table of contents once read; only a fresh handle reads the
    // new disc's. The drive reports a change once, to the next caller that asks.
    if (handles_ && cdio_get_media_changed(handles_->cdio) != 1) return;
    handles_ = openHandles(source_, anyDriver_);
    tracks_.clear();
}

bool CdioDisc::readTracks(std::vector<DiscTrack>& tracks) {
    std::lock_guard<std::mutex> lock(mutex_);
    followMediaChange();
    if (!handles_) return false;
    if (tracks_.empty()) {
        CdIo_t* cdio = handles_->cdio;
        const track_t first = cdio_get_first_track_num(cdio);
        const track_t count = cdio_get_num_tracks(cdio);
        if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) return false;
        std::vector<DiscTrack> read;
        for (track_t t = first; t < first + count; ++t) {
            const lsn_t start = cdio_get_track_lsn(cdio, t);
            const track_t after = t + 1 < first + count
                                      ? static_cast<track_t>(t + 1)
                                      : static_cast<track_t>(CDIO_CDROM_LEADOUT_TRACK);
            const lsn_t end = cdio_get_track_lsn(cdio, after);
            if (start == CDIO_INVALID_LSN || end == CDIO_INVALID_LSN || end < start) return false;
            DiscTrack track;
            track.start = start;
            track.length = end - start;
            track.audio = cdio_get_track_format(cdio, t) == TRACK_FORMAT_AUDIO;
            read.push_back(track);
        }
        tracks_ = std::move(read);
    }
    tracks = tracks_;
    return true;
}

bool CdioDisc::readSector(std::int32_t sector, std::int16_t* samples) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!handles_) return false;
    Handles& h = *handles_;
    if (h.paranoia) {
        if (sector != h.nextParanoiaSector) cdio_paranoia_seek(h.paranoia, sector, SEEK_SET);
        // Bounded retries: a scratched disc costs a click, never a stall.
        const std::int16_t* read = cdio_paranoia_read_limited(h.paranoia, nullptr, 3);
        if (read == nullptr) {
            h.nextParanoiaSector = -1;
            return false;
        }
        std::memcpy(samples, read, kSamplesPerSector * sizeof(std::int16_t));
        h.nextParanoiaSector = sector + 1;
        return true;
    }
    return cdio_read_audio_sectors(h.cdio, samples, sector, 1) == DRIVER_OP_SUCCESS;
}

}  // namespace orveline
