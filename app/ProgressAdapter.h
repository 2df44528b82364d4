// A gradient progress bar as the work loops see it.
#pragma once

#include "controls/MyProgressBarNew.h"
#include "platform/ui/Shell.h"

class ProgressAdapter : public IProgress {
public:
    explicit ProgressAdapter(TMyProgressBarNew& bar) : bar_(bar) {}
    void SetMax(int max) override { bar_.SetMax(max); }
    void SetPosition(int position) override { bar_.SetPosition(position); }
    void SetSuffix(const QString& suffix) override { bar_.SetPosTextSuffix(suffix); }
    void SetVisible(bool visible) override { bar_.setVisible(visible); }

private:
    TMyProgressBarNew& bar_;
};
