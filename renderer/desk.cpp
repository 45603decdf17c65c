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
    wholeWindow_ = monitors.empty() ||
                   (monitors.size() == 1 && monitors.front().x == 0 && monitors.front().y == 0 &&
                    monitors.front().width == client.right - client.left &&
                    monitors.front().height == client.bottom - client.top);
    if (wholeWindow_) {
        MonitorArea whole = monitors.empty() ? MonitorArea{} : monitors.front();
        whole.x = 0;
        whole.y = 0;
        whole.width = client.right - client.left;
        whole.height = client.bottom - client.top;
        addView(gl, whole);
        return;
    }
    for (const MonitorArea& m : monitors) addView(gl, m);
}

void Desk::reshape(const GlApi& gl, const ClientRect& client,
                   const std::vector<MonitorArea>& monitors) {
    if (views_.empty()) return;
    if (singleView() && monitors.size() <= 1) {
        // One view that follows the window (a host resized): the single-monitor resize.
        client_ = client;
        views_.front().area.width = client.right - client.left;
        views_.front().area.height = client.bottom - client.top;
        if (!monitors.empty()) views_.front().area.refreshHz = monitors.front().refreshHz;
        views_.front().scene.resize(gl, client);
        return;
    }
    client_ = client;
    wholeWindow_ = false;
    const std::vector<MonitorArea> areas =
        monitors.empty()
            ? std::vector<MonitorArea>{MonitorArea{0, 0, client.right - client.left,
                                                   client.bottom - client.top, true, 0.0}}
            : monitors;
    gl.Disable(gl::SCISSOR_TEST);
    gl.Viewport(client.left, client.top, client.right - client.left, client.bottom - client.top);
    gl.Clear(gl::COLOR_BUFFER_BIT);
    if (views_.size() > areas.size()) views_.resize(areas.size());
    for (std::size_t i = 0; i < views_.size(); ++i) views_[i].area = areas[i];
    for (std::size_t i = views_.size(); i < areas.size(); ++i) addView(gl, areas[i]);
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
