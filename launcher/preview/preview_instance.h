// The preview form's single instance, shared by the platform layers: each supplies only its view.
#pragma once

#include <cstdint>
#include <memory>

#include "launcher_platform.h"
#include "veyra_r.h"

namespace orveline {

// View: the platform's PreviewView, built from the callback to run when its window is destroyed,
// and telling through embedded() whether the form became a child of the host.
template <class View>
void showPreviewOnce(LauncherPlatform& platform, std::int32_t hostWindow) {
    struct Instance {
        explicit Instance(LauncherPlatform& platform)
            : view([this] { form.Form_Unload(); }), form(platform, view) {}
        View view;
        Veyra_R form;
    };
    // The form is a single instance that lives until the process ends.
    static std::unique_ptr<Instance> instance;
    if (instance) return;
    instance = std::make_unique<Instance>(platform);
    instance->form.ShowPreview(hostWindow);
    // The host went between the look-up and the re-parenting: nothing would close the form.
    if (!instance->view.embedded()) platform.endProcess();
}

}  // namespace orveline
