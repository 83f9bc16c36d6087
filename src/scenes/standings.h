// Standings: the championship between its races — the table after the race just flown (points,
// what each racer won, the places gained and lost) and, after the last race, the podium. Enter
// goes on to the next race (or from the final table to the podium, and from there to the title);
// Escape goes back to the title, where the championship waits to be taken up again.
#pragma once

#include <memory>
#include <vector>

#include "records/championship_save.h"
#include "scenes/racer_labels.h"
#include "scenes/scene_base.h"
#include "scenes/screen_text.h"
#include "simplelib/texture.h"

class Standings : public SceneBase {
public:
    Standings() { sceneId = kStandingsScene; }
    ~Standings() override;

    void Init() override;
    // kGameScene for the next race, kTitleScene to leave, its own id to stay.
    std::int32_t Update() override;
    void DrawWorld() override {}
    void Render() override;
    void Release() override;
    // "standings": "table" or "podium", and the leader's grid index.
    void WriteTrace(TraceWriter& trace) const override;

    enum class Page { Table, Podium };
    Page page = Page::Table;

private:
    void DrawTable(const Championship& championship);
    void DrawPodium(const Championship& championship);
    void DrawBlock(float left, float top, float width, float height, D3DCOLOR colour);
    void DrawBackground();

    std::vector<RacerLabel> labels;
    std::weak_ptr<SimpleLib::CTexture> background;
    SimpleLib::CTexture block;
    ScreenText heading{48, true};
    ScreenText body{30, true};
    ScreenText hint{24, true};
};
