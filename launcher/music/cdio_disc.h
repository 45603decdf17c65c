// Linux: an audio CD read through libcdio, from the first CD drive or from the drive or disc
// image (.cue, .toc, .nrg) named by ORVELINE_CD. Drives are read through libcdio-paranoia,
// which corrects the jitter of audio reads; images are read directly. A drive's media change,
// or an image file replaced or removed, counts as a disc changed or ejected.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "media_backend.h"

namespace orveline {

constexpr int kSamplesPerSector = 1176;  // 2352 bytes: 588 stereo frames of 16-bit samples

class CdioDisc {
  public:
    // Opens `source`, or the first CD drive when it is empty; null when there is none.
    static std::unique_ptr<CdioDisc> open(const std::string& source);
    ~CdioDisc();
    CdioDisc(const CdioDisc&) = delete;
    CdioDisc& operator=(const CdioDisc&) = delete;

    // The disc's tracks, read again after the media changed; false while no disc answers.
    bool readTracks(std::vector<DiscTrack>& tracks);
    // Reads the audio sector `sector` as 16-bit native-order samples; reads are fastest in
    // sequence. False when the sector cannot be read. May run beside readTracks.
    bool readSector(std::int32_t sector, std::int16_t* samples);

  private:
    struct Handles;
    // What tells one image file from the next: a rewrite or a replacement changes it.
    struct FileStamp {
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t modifiedNs = 0;
        bool operator==(const FileStamp& o) const {
            return device == o.device && inode == o.inode && size == o.size &&
                   modifiedNs == o.modifiedNs;
        }
    };
    CdioDisc(std::string source, bool anyDriver, std::unique_ptr<Handles> handles);
    static std::unique_ptr<Handles> openHandles(const std::string& source, bool anyDriver);
    static bool stampOf(const std::string& path, FileStamp& stamp);
    // Caller holds mutex_. Drops the tracks (and reopens) when the disc is no longer the one read.
    void followMediaChange();

    const std::string source_;  // the image file or the drive's device
    const bool anyDriver_;      // source_ was named (drive or image), not the default drive
    bool image_ = false;
    std::mutex mutex_;  // the reader thread reads sectors while the poll reads tracks
    std::unique_ptr<Handles> handles_;  // null while an image file is missing
    FileStamp stamp_;                   // images only
    std::vector<DiscTrack> tracks_;
};

}  // namespace orveline
