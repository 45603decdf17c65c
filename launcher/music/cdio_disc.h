// Linux: an audio CD read through libcdio, from the first CD drive or from the drive or disc
// image (.cue, .toc, .nrg) named by ORVELINE_CD. Drives are read through libcdio-paranoia,
// which corrects the jitter of audio reads; images are read directly.
#pragma once

#include <cstdint>
#include <memory>
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

    // The disc's tracks, read once; false while no disc answers.
    bool readTracks(std::vector<DiscTrack>& tracks);
    // Reads the audio sector `sector` as 16-bit native-order samples; reads are fastest in
    // sequence. False when the sector cannot be read.
    bool readSector(std::int32_t sector, std::int16_t* samples);

  private:
    struct Handles;
    explicit CdioDisc(std::unique_ptr<Handles> handles);
    std::unique_ptr<Handles> handles_;
    std::vector<DiscTrack> tracks_;
};

}  // namespace orveline
