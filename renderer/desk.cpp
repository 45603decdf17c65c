#include "desk.h"

#include <algorithm>

namespace orveline {

std::vector<MonitorArea> monitorsInWindow(const std::vector<MonitorArea>& screenMonitors,
                                          int windowX, int windowY, int windowWidth,
                                          int windowHeight) {
    std::vector<MonitorArea> result;
    for (const MonitorArea& m : screenMonitors) {
        // In 64 bits: a hostile or broken list must not overflow the sums.
        const long long left = std::max<long long>(m.x, windowX);
        const long long top = std::max<long long>(m.y, windowY);
        const long long right = std::min<long long>(static_cast<long long>(m.x) + m.width,
                                                    static_cast<long long>(windowX) + windowWidth);
        const long long bottom = std::min<long long>(
            static_cast<long long>(m.y) + m.height, static_cast<long long>(windowY) + windowHeight);
        if (m.width <= 0 || m.height <= 0 || right <= left || bottom <= top) continue;
        MonitorArea area = m;
        area.x = static_cast<int>(left - windowX);
        area.y = static_cast<int>(top - windowY);
        area.width = static_cast<int>(right - left);
        area.height = static_cast<int>(bottom - top);
        const auto same = [&](const MonitorArea& o) {
            return o.x == area.x && o.y == area.y && o.width == area.width &&
                   o.height == area.height;
        };
        const auto repeated = std::find_if(result.begin(), result.end(), same);
        if (repeated != result.end()) {
            repeated->primary = repeated->primary || area.primary;
            continue;
        }
        result.push_back(area);
    }
    const auto primary =
        std::find_if(result.begin(), result.end(), [](const MonitorArea& m) { return m.primary; });
    if (primary != result.end()) std::rotate(result.begin(), primary, primary + 1);
    if (!result.empty()) result.front().primary = true;
    return result;
}

namespace {

bool sameRect(const MonitorArea& a, const MonitorArea& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// What a fresh set-up draws: one view over the whole window when there is no monitor list or its
// one monitor fills the window, else one view per monitor.
std::vector<MonitorArea> viewAreas(const ClientRect& client,
                                   const std::vector<MonitorArea>& monitors, bool& wholeWindow) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    wholeWindow = monitors.empty() ||
                  (monitors.size() == 1 && sameRect(monitors.front(), {0, 0, width, height}));
    if (!wholeWindow) return monitors;
    MonitorArea whole = monitors.empty() ? MonitorArea{0, 0, 0, 0, true, 0.0} : monitors.front();
    whole.x = 0;
    whole.y = 0;
    whole.width = width;
    whole.height = height;
    return {whole};
}

}  // namespace

ClientRect Desk::glRect(const MonitorArea& area) const {
    const int windowHeight = client_.bottom - client_.top;
    ClientRect r;
    r.left = area.x;
    r.top = windowHeight - (area.y + area.height);
    r.right = r.left + area.width;
    r.bottom = r.top + area.height;
    return r;
}

void Desk::addView(const GlApi& gl, const MonitorArea& area) {
    View view;
    view.area = area;
    view.scene.settings = settings;
    view.scene.drawOptions.path = path;
    // Other monitors take other seeds, so that no two show the same picture.
    view.scene.seed(seed_ + static_cast<std::uint32_t>(views_.size()) * 7919u);
    if (wholeWindow_) {
        view.scene.setUp(gl, client_);
    } else {
        view.scene.setUp(gl, glRect(area));
    }
    views_.push_back(std::move(view));
}

void Desk::setUp(const GlApi& gl, const ClientRect& client,
                 const std::vector<MonitorArea>& monitors) {
    client_ = client;
    for (const MonitorArea& area : viewAreas(client, monitors, wholeWindow_)) addView(gl, area);
}

void Desk::reshape(const GlApi& gl, const ClientRect& client,
                   const std::vector<MonitorArea>& monitors) {
    if (views_.empty()) return;
    bool whole = false;
    const std::vector<MonitorArea> areas = viewAreas(client, monitors, whole);
    const bool sameClient = client.left == client_.left && client.top == client_.top &&
                            client.right == client_.right && client.bottom == client_.bottom;
    const bool sameViews =
        sameClient && whole == wholeWindow_ && areas.size() == views_.size() &&
        std::equal(areas.begin(), areas.end(), views_.begin(),
                   [](const MonitorArea& a, const View& v) { return sameRect(a, v.area); });
    const bool followWindow = whole && singleView();
    client_ = client;
    wholeWindow_ = whole;
    if (views_.size() > areas.size()) views_.resize(areas.size());
    for (std::size_t i = 0; i < views_.size(); ++i) views_[i].area = areas[i];
    // Moved, restacked, or only a refresh rate changed: the picture stays.
    if (sameViews) return;
    if (followWindow) {
        // One view that follows the window (a host resized): the single-monitor resize.
        views_.front().scene.resize(gl, client);
        return;
    }
    gl.Disable(gl::SCISSOR_TEST);
    gl.Viewport(client.left, client.top, client.right - client.left, client.bottom - client.top);
    gl.Clear(gl::COLOR_BUFFER_BIT);
    for (std::size_t i = views_.size(); i < areas.size(); ++i) addView(gl, areas[i]);
    // One view over the whole window is drawn without a scissor, in a viewport set here.
    if (whole) views_.front().scene.resize(gl, client);
}

void Desk::drawFrame(const GlApi& gl, FramePresenter& presenter) {
    if (views_.empty()) return;
    renderFrame(gl);
    presenter.present();
}

void Desk::renderFrame(const GlApi& gl, SimulationProbe* probe) {
    if (views_.empty()) return;
    if (singleView()) {
        views_.front().scene.renderFrame(gl, probe);
        return;
    }
    gl.Enable(gl::SCISSOR_TEST);
    for (View& view : views_) {
        const ClientRect r = glRect(view.area);
        gl.Scissor(r.left, r.top, r.right - r.left, r.bottom - r.top);
        view.scene.resize(gl, r);
        view.scene.renderFrame(gl, probe);
    }
    gl.Disable(gl::SCISSOR_TEST);
}

void Desk::release() {
    for (View& view : views_) view.scene.release();
    views_.clear();
}

}  // namespace orveline
