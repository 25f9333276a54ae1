#pragma once
// The indicator catalogue ("Sys.xml") and the engine set-up that hands the engine the
// system's built-in functions, loaders, look-ups, periods and colour table.

#include <memory>
#include <string>

#include "formula/engine/KlineLight.h"
#include "foundation/SortArray.h"

inline int SortArrayCompare(const CKlineLight& a, const CKlineLight& b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

class CYBIndClass {
public:
    CYBIndClass();
    virtual ~CYBIndClass();

    // Loads the catalogue; a missing or unparsable file leaves it as it was.
    void Read(const std::string& path);
    // Writes every entry in name order. False when the file could not be written.
    bool Write(const std::string& path) const;
    // Fills the engine's tables. Run once at start-up after Read.
    static void SetUp();

    // Copy inserted at its ordered place; -1 when an entry of that name is present.
    int Insert(const CKlineLight& ind);
    int Find(const CKlineLight& key) const;
    int Find(const std::string& name) const;
    // Takes an edited indicator's formula text and parameter rows into the entry of its name
    // (a copy is inserted when there is none), compiled anew so that panes bound from now on
    // compute the new text. Returns the entry's index, or -1 when the text does not compile.
    int Update(const CKlineLight& edited);
    int GetSize() const { return m_aInds.GetSize(); }
    const CKlineLight& GetAt(int i) const { return m_aInds[static_cast<size_t>(i)]; }
    void Clear() { m_aInds.clear(); }

private:
    CSortArray<CKlineLight> m_aInds;
};

CYBIndClass* GetYBIndClass();

// The colour table SetUp points the engine at (the skin's live table, 64 entries). It must
// stay in place for the life of the process.
void SetFormulaColorTable(COLORREF* table);

// Points an indicator at a security and attaches that security's stored parameters and
// line settings (loaded on first use). An unknown security changes only the code; binding
// to the set already attached changes nothing. Unbind lets go of the attached set (a
// changed set is written when its last user lets go).
void BindIndicatorSecurity(const CIndSecuCode& code, CKlineLight& ind);
void UnbindIndicatorSecurity(CKlineLight& ind);

// Call-backs installed by SetUp.
double GetParValue(CKlineLight* ind, int index, void* paramSet);
std::unique_ptr<CKlineLight> FindInd(const std::string& name);
int CheckSecu(const CIndSecuCode& code);
