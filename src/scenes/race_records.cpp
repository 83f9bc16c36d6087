// Loading before the race, capturing during it, saving after the keyboard racer's finish.
#include "scenes/race_records.h"

#include "records/save_folder.h"
#include "scenes/ghost_racer.h"
#include "scenes/race_results.h"

void RaceRecords::Load(const std::string& recordClass, bool ghostOn) {
    saving = !records::SaveFolder().empty();
    if (!saving) return;
    key = records::ChosenCourseKey(recordClass);
    saved = LoadSavedBest(key, ghostOn);
    if (ghostOn) ghost = std::move(saved.ghost);
    saved.ghost = GhostRun{};
}

void RaceRecords::LoadOnline() {
    online = true;
    saving = false;
}

const char* RaceRecords::NothingSaved() const {
    if (online) return "ONLINE: nothing saved";
    return Assisted() ? "ASSISTED: nothing saved" : "";
}

void RaceRecords::Capture(const Player& keyboard, float animationTime, bool pilotFlew) {
    ++updates;
    if (pilotFlew) ++pilotUpdates;
    // Past an hour the race is too long to keep as a ghost; its time still counts.
    if (saving && flight.frames.size() <= kMostGhostFrames)
        flight.frames.push_back(GhostRacer::Capture(keyboard, animationTime));
}

void RaceRecords::Finish(const RaceResults& results, std::int32_t place) {
    if (!saving || online || Assisted()) return;
    FinishedRace race{results.KeyboardTimeMs(), results.Splits(), place, RecordDateNow(), flight.frames.size()};
    if (flight.frames.size() <= kMostGhostFrames) race.ghost = &flight;
    outcome = SaveFinishedRace(key, race, saved);
}
