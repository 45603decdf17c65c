// Entry of the run form: the form, the music module over the system's media services and the
// outside close requests, made once and kept for the rest of the process.
#include <memory>

#include "close_requests.h"
#include "launcher_forms.h"
#include "veyra_bgm.h"
#include "veyra_s.h"

namespace orveline {

namespace {

class BgmRunMusic : public RunMusic {
  public:
    explicit BgmRunMusic(Veyra_BGM& bgm) : bgm_(bgm) {}
    void OpenCD() override { bgm_.OpenCD(); }
    void CheckCD() override { bgm_.CheckCD(); }
    void StopCD() override { bgm_.StopCD(); }
    void PlayMP3() override { bgm_.PlayMP3(); }
    void CheckMP3() override { bgm_.CheckMP3(); }
    void StopMP3() override { bgm_.StopMP3(); }
    void PlayWAV() override { bgm_.PlayWAV(); }
    void StopWAV() override { bgm_.StopWAV(); }
    bool CdReady() const override { return bgm_.CdReady; }

  private:
    Veyra_BGM& bgm_;
};

struct RunFormInstance {
    RunFormInstance(LauncherPlatform& platform, LauncherState& state, const RunPlacement& placement)
        : media(createSystemMedia()),
          bgm(*media, state),
          music(bgm),
          form(platform, state, music, placement) {}

    std::unique_ptr<MediaInterface> media;
    Veyra_BGM bgm;
    BgmRunMusic music;
    Veyra_S form;
    std::unique_ptr<CloseRequests> closeRequests;
};

}  // namespace

void loadRunForm(LauncherPlatform& platform, LauncherState& state, const RunPlacement& placement) {
    // The form is a single instance that lives until the process ends.
    static std::unique_ptr<RunFormInstance> instance;
    if (instance) return;
    instance = std::make_unique<RunFormInstance>(platform, state, placement);
    Veyra_S& form = instance->form;
    instance->closeRequests = watchCloseRequests([&form] { form.EndRunRequested(); });
    form.Load();
}

}  // namespace orveline
