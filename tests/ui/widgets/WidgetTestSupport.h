#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "support/TestEnvironment.h"
#include "ui/widgets/AnimTicker.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <iostream>
#include <memory>
#include <utility>
#include <vector>

namespace WidgetTestSupport
{
// A clock the tests step by hand, in high-resolution ticks.
struct SteppedClock
{
    juce::int64 now = 0;

    void advanceMs (double ms) { now += juce::Time::secondsToHighResolutionTicks (ms / 1000.0); }
    void setMs (double ms) { now = juce::Time::secondsToHighResolutionTicks (ms / 1000.0); }
    std::function<juce::int64()> source()
    {
        return [this]
        { return now; };
    }
};

// Counts repaint requests: a visible component asks its cached image to invalidate on every
// repaint() before anything is coalesced.
class RepaintCountingComponent final : public juce::Component
{
public:
    RepaintCountingComponent()
    {
        setSize (10, 10);
        setVisible (true);
        auto image = std::make_unique<Counter>();
        counter = image.get();
        setCachedComponentImage (image.release());
        reset();
    }

    int getRepaints() const noexcept { return counter->count; }
    void reset() noexcept { counter->count = 0; }

private:
    struct Counter final : public juce::CachedComponentImage
    {
        void paint (juce::Graphics&) override {}
        bool invalidateAll() override
        {
            ++count;
            return false;
        }
        bool invalidate (const juce::Rectangle<int>&) override
        {
            ++count;
            return false;
        }
        void releaseResources() override {}

        int count = 0;
    };

    Counter* counter = nullptr;
};

// An "updatebuttonbounce" that stands at the value until ticked.
inline std::unique_ptr<AnimTicker> bounceAt (float value)
{
    auto ticker = std::make_unique<AnimTicker> (nullptr);
    ticker->addAnimation ("updatebuttonbounce", 0, value, 0.0f, 1.0f, 0.75f, 10.0f, -1.0f, 0.1f);
    return ticker;
}

// The component as it paints itself, on a transparent image of its size (the widgets are not
// opaque).
inline juce::Image render (juce::Component& component)
{
    return component.createComponentSnapshot (component.getLocalBounds());
}

// A button painted in one state.
inline juce::Image renderButton (juce::Button& button, bool enabled, juce::Button::ButtonState state)
{
    button.setEnabled (enabled);
    button.setState (state);
    return render (button);
}

// What the drawing code gives on a transparent image of this size.
inline juce::Image draw (int w, int h, const std::function<void (juce::Graphics&)>& drawing)
{
    juce::Image image (juce::Image::ARGB, w, h, true);
    juce::Graphics g (image);
    drawing (g);
    return image;
}

// A picture drawn whole into a rectangle at an opacity.
inline juce::Image drawPicture (int w, int h, const juce::Image& picture, juce::Rectangle<int> r, float alpha)
{
    return draw (w, h, [&] (juce::Graphics& g)
                 {
            g.setColour (juce::Colours::black.withAlpha (alpha));
            g.drawImage (picture, r.getX(), r.getY(), r.getWidth(), r.getHeight(),
                         0, 0, picture.getWidth(), picture.getHeight()); });
}

// The largest difference of any channel of any pixel (images of different sizes: 256).
inline int maxDifference (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return 256;

    int worst = 0;

    for (int y = 0; y < a.getHeight(); ++y)
    {
        for (int x = 0; x < a.getWidth(); ++x)
        {
            auto p = a.getPixelAt (x, y);
            auto q = b.getPixelAt (x, y);
            for (auto d : { (int) p.getAlpha() - (int) q.getAlpha(), (int) p.getRed() - (int) q.getRed(),
                            (int) p.getGreen() - (int) q.getGreen(), (int) p.getBlue() - (int) q.getBlue() })
                worst = juce::jmax (worst, std::abs (d));
        }
    }

    return worst;
}

// The same for one area of both images.
inline int maxDifferenceIn (const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area)
{
    return maxDifference (a.getClippedImage (area).createCopy(), b.getClippedImage (area).createCopy());
}

// Pixels in the area for which the test holds.
inline int countPixels (const juce::Image& image, juce::Rectangle<int> area,
                        const std::function<bool (juce::Colour)>& test)
{
    int count = 0;
    area = area.getIntersection (image.getBounds());

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            count += test (image.getPixelAt (x, y)) ? 1 : 0;

    return count;
}

// The smallest rectangle holding every pixel that is not fully transparent.
inline juce::Rectangle<int> paintedArea (const juce::Image& image)
{
    juce::Rectangle<int> area;
    bool any = false;

    for (int y = 0; y < image.getHeight(); ++y)
    {
        for (int x = 0; x < image.getWidth(); ++x)
        {
            if (image.getPixelAt (x, y).getAlpha() == 0)
                continue;

            juce::Rectangle<int> pixel (x, y, 1, 1);
            area = any ? area.getUnion (pixel) : pixel;
            any = true;
        }
    }

    return area;
}

inline bool isNear (juce::Colour c, juce::Colour wanted, int tolerance)
{
    return std::abs ((int) c.getRed() - (int) wanted.getRed()) <= tolerance
           && std::abs ((int) c.getGreen() - (int) wanted.getGreen()) <= tolerance
           && std::abs ((int) c.getBlue() - (int) wanted.getBlue()) <= tolerance
           && std::abs ((int) c.getAlpha() - (int) wanted.getAlpha()) <= tolerance;
}

// Collects what is written to the standard error stream (where the framework reports a failed
// debug assertion) for the life of the object.
class ScopedErrorCapture
{
public:
    ScopedErrorCapture()
    {
        std::fflush (stderr);
        std::cerr.flush();
        fileDescriptor = ::open (file.getFile().getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

        if (fileDescriptor >= 0)
        {
            savedDescriptor = ::dup (STDERR_FILENO);
            ::dup2 (fileDescriptor, STDERR_FILENO);
        }
    }

    ~ScopedErrorCapture() { restore(); }

    // Stops collecting and returns everything written so far.
    juce::String finish()
    {
        restore();
        return file.getFile().loadFileAsString();
    }

private:
    void restore()
    {
        std::fflush (stderr);
        std::cerr.flush();

        if (savedDescriptor >= 0)
        {
            ::dup2 (savedDescriptor, STDERR_FILENO);
            ::close (savedDescriptor);
            savedDescriptor = -1;
        }

        if (fileDescriptor >= 0)
        {
            ::close (fileDescriptor);
            fileDescriptor = -1;
        }
    }

    juce::TemporaryFile file{ ".log" };
    int savedDescriptor = -1, fileDescriptor = -1;
};

// Saves colours of the default look-and-feel and puts them back.
class ScopedDefaultColours
{
public:
    explicit ScopedDefaultColours (std::initializer_list<int> colourIds)
    {
        for (auto id : colourIds)
            saved.emplace_back (id, lookAndFeel().findColour (id));
    }

    ~ScopedDefaultColours()
    {
        for (auto& [id, colour] : saved)
            lookAndFeel().setColour (id, colour);
    }

private:
    static juce::LookAndFeel& lookAndFeel() { return juce::LookAndFeel::getDefaultLookAndFeel(); }

    std::vector<std::pair<int, juce::Colour>> saved;

    JUCE_DECLARE_NON_COPYABLE (ScopedDefaultColours)
};

// Gives a showing component the keyboard focus, asking again until it has it or the time is up.
inline bool takeKeyboardFocus (juce::Component& component, int timeoutMs = 5000)
{
    component.grabKeyboardFocus();
    return TestEnvironment::runUntil ([&]
                                      {
                                          if (! component.hasKeyboardFocus (true))
                                              component.grabKeyboardFocus();
                                          return component.hasKeyboardFocus (true); },
                                      timeoutMs);
}

// A window on the desktop, so that its children can take the keyboard focus.
struct FocusWindow
{
    FocusWindow()
    {
        window.setBounds (100, 100, 300, 100);
        window.addToDesktop (juce::ComponentPeer::windowIsTemporary);
        window.setVisible (true);
    }

    ~FocusWindow()
    {
        window.removeAllChildren();
    }

    bool focus (juce::Component& component)
    {
        window.setSize (juce::jmax (300, component.getWidth() + 20), juce::jmax (100, component.getHeight() + 20));
        window.addAndMakeVisible (component);
        component.setTopLeftPosition (10, 10);
        window.toFront (true);
        return takeKeyboardFocus (component);
    }

    juce::Component window;
};

} // namespace WidgetTestSupport
