#pragma once

#include "saver/ScreenSaverView.hpp"
#include "scene/Spring.hpp"

#include <memory>
#include <optional>

// The screen saver itself: asks for 30 frames a second, builds the scene once
// from the size of its area and, each frame, updates the scene and draws it.
class vorpi_19screensaverView final : public ScreenSaverView {
public:
    // Null when the host cannot initialise a view for this frame; no half-built view exists.
    [[nodiscard]] static std::unique_ptr<vorpi_19screensaverView> initWithFrame(CGRect frame, bool isPreview);

    // Updates the scene, then draws it. Never clears: each frame is laid over the last.
    // Start, stop, drawRect and the (absent) configure sheet are the host's, unchanged.
    void animateOneFrame() override;

    const Spring& scene() const { return *spr; }

private:
    vorpi_19screensaverView() = default;

    // Built right after the base initialisation succeeds; present for the view's whole life.
    std::optional<Spring> spr;
};
