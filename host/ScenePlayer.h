// Plays a scene script on the headless host: instances are created, driven by their actions'
// menu labels, looped, asked for expressions and drawn into PNG stills and animated WebP files.
//
// The script format (one command per line, # comments, numbers and "strings"):
//   frame W H                   frame size before the first create (default 640 x 480)
//   create X Y [W H]            a new instance (edit-data size default 240 x 320), now current
//   select N / destroy [N]      instances are numbered from 0 in creation order
//   LABEL [args]                the action with that menu label, on the current instance
//   print LABEL [args]          prints "LABEL(a, b) = value" for an expression
//   print-host                  prints "host = X Y IMAGEWIDTH IMAGEHEIGHT HOTX HOTY SCALEX SCALEY ANGLE"
//   expect LABEL [args] = VALUE [TOLERANCE]
//   loop [N]                    N game loops (default 1)
//   save FILE.png / record FILE the frame now / every following loop's frame (WebP, 30 fps)
//   lose-device                 the release notification for every registered instance
// At the end every instance is destroyed and the application ends. Message boxes appear on the
// output, in order, as: messagebox "CAPTION" "TEXT".
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "ExtensionEntryPoints.h"
#include "HeadlessHost.h"

class AnimatedWebp;
class SceneLine;

class ScenePlayer {
public:
    // Exit statuses of Play.
    static constexpr int kPassed = 0;
    static constexpr int kExpectationFailed = 1;
    static constexpr int kScriptError = 2;

    // Output (prints, message boxes, failed expectations) goes to `out`, script errors to
    // `errors`. `options` gives the host's kind; its frame size is the default `frame`.
    ScenePlayer(std::ostream& out, std::ostream& errors, const ExtensionEntryPoints& extension,
                const HeadlessHost::Options& options = {});
    ~ScenePlayer();
    ScenePlayer(const ScenePlayer&) = delete;
    ScenePlayer& operator=(const ScenePlayer&) = delete;

    // Plays the whole script `text`, naming it `name` in errors; returns kPassed,
    // kExpectationFailed (after playing to the end) or kScriptError (stopping at the line).
    int Play(const std::string& text, const std::string& name);

    // Writes the frame of every game loop to `directory`/0001.png, 0002.png, ... (empty: none),
    // so that two hosts' pictures of a scene can be compared frame by frame.
    void WriteFramesTo(const std::string& directory) { framesDirectory_ = directory; }

    // The host, once the first command that needs one has made it (for tests).
    HeadlessHost* Host() { return host_.get(); }

private:
    bool Run(const SceneLine& line, std::string& error);
    bool NeedHost(std::string& error);
    bool NeedInstance(std::string& error);
    bool RunAction(const SceneLine& line, std::string& error);
    bool Evaluate(const SceneLine& line, std::size_t first, std::size_t end,
                  ExpressionValue& value, std::string& call, std::string& error);
    bool Loops(long long count, std::string& error);
    void Finish();
    void PrintMessageBox(const std::wstring& caption, const std::wstring& text);
    static void OnMessageBox(const struct ShownMessageBox& box);

    std::ostream& out_;
    std::ostream& errors_;
    ExtensionEntryPoints extension_;
    HeadlessHost::Options options_;
    std::unique_ptr<HeadlessHost> host_;
    int current_ = -1;
    bool failed_ = false;
    std::string recordPath_;
    std::unique_ptr<AnimatedWebp> recording_;
    std::string framesDirectory_;
    int framesWritten_ = 0;
};
