#include "cdio_disc.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

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

CdioDisc::CdioDisc(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}
CdioDisc::~CdioDisc() = default;

std::unique_ptr<CdioDisc> CdioDisc::open(const std::string& source) {
    cdio_log_set_handler(quietLog);
    auto handles = std::make_unique<Handles>();
    if (source.empty()) {
        char* device = cdio_get_default_device(nullptr);
        if (device == nullptr) return nullptr;
        handles->cdio = cdio_open(device, DRIVER_DEVICE);
        cdio_free(device);
    } else {
        handles->cdio = cdio_open(source.c_str(), DRIVER_UNKNOWN);
    }
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
    return std::unique_ptr<CdioDisc>(new CdioDisc(std::move(handles)));
}

bool CdioDisc::readTracks(std::vector<DiscTrack>& tracks) {
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
