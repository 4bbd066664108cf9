#pragma once
// The screen-state file of the bankruptcy document ("KORVA_Bankruptcy_Persist.xml" in the user
// folder): when the host unloads the document while a customer's data is on display, the whole
// working state is written to it (persistence.cpp), and the next show reads it back once
// (persistence_restore.cpp). Every step that fails is reported and the next one runs.

#include <string>
#include <utility>

class KORVA_Bankruptcy;

namespace records {
class ErrorSink;
class PropertyBag;
class Stream;
}  // namespace records

class ScreenStateFile {
  public:
    explicit ScreenStateFile(KORVA_Bankruptcy& document) : doc_(document) {}

    const std::string& Path() const { return path_; }
    void SetPath(std::string path) { path_ = std::move(path); }

    // The document's PersistData and RestoreData.
    void Write();
    void Read();

  private:
    void persistRecordsets(records::Stream& file, records::PropertyBag& main);
    void persistScreen(records::PropertyBag& main);
    bool restoreRecordsets(records::Stream& stream);
    void restoreCustomer(const records::PropertyBag& main);
    void restoreScreenLayout(const records::PropertyBag& main);
    void restoreGrid(int index, const records::PropertyBag& main);
    void restoreSelection(int index, const records::PropertyBag& main);
    bool restoredRowsPending() const;
    void setResizerEnabled(bool on);
    int officerBackColor() const;
    void setOfficerBackColor(int color);

    records::ErrorSink* sink() const;
    // Where the steps of a restore report: counted while it runs.
    records::ErrorSink* restoreSink() const { return restoreSink_ ? restoreSink_ : sink(); }

    KORVA_Bankruptcy& doc_;
    std::string path_;
    records::ErrorSink* restoreSink_ = nullptr;  // set while Read runs
};
