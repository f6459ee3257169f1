#include "data/uGlobalData.h"

clFile File1;
clFile File2;
std::vector<clValues> File1History;
std::vector<clValues> File2History;
bool SheetChosen = false;
bool ShowLoadedData = true;

void AddToHistory(std::vector<clValues>& history, const QString& path) {
    for (const clValues& entry : history) {
        if (entry.Value == path) return;
    }
    history.push_back({path});
}
