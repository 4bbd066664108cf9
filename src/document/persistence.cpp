// The screen-state file, written side: the whole working state of the document goes to the
// file, to be read back once by the next show (persistence_restore.cpp). The file holds the
// images of rsBankruptcyCase, rsAccntRecv and rsBankruptcyAR, then the image of the main bag.

#include <filesystem>

#include <QLayout>
#include <QLineEdit>
#include <QPalette>
#include <QRadioButton>
#include <QSaveFile>
#include <QTabWidget>

#include "document/korva_bankruptcy.h"
#include "document/persistence_state.h"
#include "document/screen_state_file.h"
#include "platform/widgets/data_grid.h"
#include "records/mod_bankruptcy.h"
#include "records/property_bag.h"
#include "records/stream.h"

namespace persistence {

void RequireFolder(const std::string& path, long errorNumber) {
    if (std::filesystem::path(path).parent_path().empty()) {
        throw records::Error(errorNumber,
                             "There is no user folder for the screen-state file " + path + ".");
    }
}

}  // namespace persistence

using namespace persistence;

namespace {

struct Slot {
    const char* name;
    records::RecordsetPtr KORVA_Bankruptcy::*member;
    bool caseLayout;
};

// Colors travel as whole numbers: red in the low byte, then green, then blue.
int colorNumber(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

}  // namespace

void ScreenStateFile::Write() {
    auto step = [&](auto&& body) { return Step(sink(), kPersistSource, body); };
    records::Stream file;
    records::PropertyBag main;

    step([&] { setResizerEnabled(false); });
    step([&] {
        if (doc_.udtCustomer.PmtReceiptNbr.empty()) return;
        const std::string number = doc_.udtCustomer.PmtReceiptNbr;
        doc_.udtCustomer.PmtReceiptNbr.clear();
        doc_.mLib.globalServices->ReturnReceiptNumber(number, "R");
    });
    step([&] { doc_.ValidateCommandButtons(); });
    step([&] { doc_.ValidateAssignedOfficer(); });
    step([&] { file.Open(); });
    persistRecordsets(file, main);
    persistScreen(main);
    step([&] {
        file.SetPosition(file.Size());
        file.Write(main.Contents());
        file.Flush();
        RequireFolder(path_, records::err::FileWriteFailed);
        // Written whole or not at all: a kill meanwhile leaves the file that was there before.
        QSaveFile out(QString::fromStdString(path_));
        const records::ByteView bytes = file.Buffer();
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
            !out.commit()) {
            throw records::Error(records::err::FileWriteFailed,
                                 "The screen-state file " + path_ +
                                     " could not be written: " + out.errorString().toStdString());
        }
    });
    records::IgnoreErrors([&] {
        if (!file.IsOpen()) return;
        file.SetPosition(0);
        file.SetEOS();
        file.Close();
    });
    records::IgnoreErrors([&] { setResizerEnabled(true); });
}

void ScreenStateFile::persistRecordsets(records::Stream& file, records::PropertyBag& main) {
    auto step = [&](auto&& body) { return Step(sink(), kPersistSource, body); };
    static constexpr Slot kSlots[] = {
        {"rsBankruptcyCase", &KORVA_Bankruptcy::rsBankruptcyCase, true},
        {"rsAccntRecv", &KORVA_Bankruptcy::rsAccntRecv, false},
        {"rsBankruptcyAR", &KORVA_Bankruptcy::rsBankruptcyAR, false},
    };
    records::Stream scratch;
    step([&] { scratch.Open(); });
    for (const Slot& slot : kSlots) {
        const records::RecordsetPtr& rs = doc_.*slot.member;
        const std::string name = slot.name;
        const bool saved = step([&] {
            if (!rs) throw records::Error(records::err::ObjectClosed, name + " does not exist.");
            if (rs->FilterValue() == records::Value(0)) {
                rs->Save(scratch);
            } else {
                // A clone carries no filter: every row is saved.
                const records::RecordsetPtr clone = rs->Clone();
                clone->Save(scratch);
                clone->Close();
            }
        });
        if (!saved) {
            // An empty record set of the layout keeps the images in their order.
            step([&] {
                scratch.SetPosition(0);
                scratch.SetEOS();
                const records::RecordsetPtr empty = slot.caseLayout
                                                        ? records::NewBankruptcyCaseRS(sink())
                                                        : records::NewAccntRecvRS(sink());
                empty->Save(scratch);
            });
        }
        step([&] { main.WriteProperty(name + kFilterSuffix, rs->FilterValue(), 0); });
        step([&] {
            main.WriteProperty(name + kPositionSuffix, rs->AbsolutePosition(), kNoPosition);
        });
        step([&] {
            scratch.SetPosition(0);
            scratch.CopyTo(file);
            scratch.SetPosition(0);
            scratch.SetEOS();
        });
    }
    records::IgnoreErrors([&] {
        if (scratch.IsOpen()) scratch.Close();
    });
}

void ScreenStateFile::persistScreen(records::PropertyBag& main) {
    auto step = [&](auto&& body) { return Step(sink(), kPersistSource, body); };

    step([&] {
        records::PropertyBag customer;
        for (const CustomerMember& m : kCustomerMembers)
            customer.WriteProperty(m.name, doc_.udtCustomer.*m.field, "");
        main.WriteProperty(kCustomerContents, customer.Contents());
    });

    step([&] {
        records::PropertyBag layout;
        layout.WriteProperty(kTab, doc_.ui.SSTab1->currentIndex());
        for (int i = 0; i < 3; ++i)
            layout.WriteProperty(kTabEnabled[i], doc_.ui.SSTab1->isTabEnabled(i));
        layout.WriteProperty(kOfficerText, doc_.ui.mTxtBankruptcy->text().toStdString(), "");
        layout.WriteProperty(kOfficerBackColor, officerBackColor());
        for (std::size_t i = 0; i < 3; ++i)
            layout.WriteProperty(kOptions[i], doc_.ui.mOptBankruptcy[i]->isChecked());
        layout.WriteProperty(kSortOrder, doc_.mStrARSortOrder);
        main.WriteProperty(kLayoutContents, layout.Contents());
    });

    for (int index : {KORVA_Bankruptcy::ars, KORVA_Bankruptcy::FILINGS}) {
        step([&] {
            const platform::DataGrid* grid =
                doc_.ui.mSdgBankruptcy[static_cast<std::size_t>(index)];
            main.WriteProperty(std::string(kGridNames[index]) + kFirstRowSuffix,
                               grid->FirstRow().value_or(1), 1);
        });
    }
    for (int index : {KORVA_Bankruptcy::ars, KORVA_Bankruptcy::FILINGS}) {
        step([&] {
            const platform::DataGrid* grid =
                doc_.ui.mSdgBankruptcy[static_cast<std::size_t>(index)];
            if (const auto current = grid->Bookmark()) {
                main.WriteProperty(std::string(kGridNames[index]) + kThisRowSuffix, *current,
                                   records::Value());
            }
        });
    }
    for (int index : {KORVA_Bankruptcy::ars, KORVA_Bankruptcy::FILINGS}) {
        step([&] {
            const platform::DataGrid* grid =
                doc_.ui.mSdgBankruptcy[static_cast<std::size_t>(index)];
            records::PropertyBag selection;
            const std::vector<records::Bookmark>& items = grid->SelBookmarks().items();
            for (std::size_t i = 0; i < items.size(); ++i)
                selection.WriteProperty(std::to_string(i), items[i]);
            selection.WriteProperty(kUBound, static_cast<long>(items.size()) - 1);
            main.WriteProperty(kSelectionNames[index], selection.Contents());
        });
    }
}

// --- small pieces both directions use

records::ErrorSink* ScreenStateFile::sink() const {
    return doc_.sink();
}

void ScreenStateFile::setResizerEnabled(bool on) {
    // The document's layouts play the old resizer's part.
    QLayout* box = doc_.layout();
    if (!box) return;
    box->setEnabled(on);
    if (on) box->activate();
}

int ScreenStateFile::officerBackColor() const {
    return colorNumber(doc_.ui.mTxtBankruptcy->palette().color(QPalette::Base));
}

void ScreenStateFile::setOfficerBackColor(int color) {
    // The box has two colors: plain and marked invalid. The common library owns the mark (it
    // also sets a tool tip and takes it back), so a color is restored by marking or clearing;
    // a color that is neither leaves the box plain.
    if (officerBackColor() == color) return;
    doc_.mLib.globalServices->MarkInvalid(doc_.ui.mTxtBankruptcy);
    if (officerBackColor() == color) return;
    doc_.mLib.globalServices->ClearInvalid(doc_.ui.mTxtBankruptcy);
}
