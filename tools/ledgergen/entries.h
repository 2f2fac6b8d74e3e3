#pragma once

#include "calendar.h"
#include "chart.h"
#include "random.h"
#include "taxpayer.h"

#include <cstdint>
#include <vector>

namespace ledgergen {

enum class Dc : uint8_t
{
    Debit,
    Credit
};

// The supporting document of a line: decides documentType, its description and the number's form.
enum class DocKind : uint8_t
{
    SalesInvoice,
    PurchaseInvoice,
    ReturnInvoice,
    Receipt,
    Check,
    OwnCheck,
    BankStatement,
    AccountingVoucher,
    Payroll,
    CardSlip
};

// Which line comment (detailComment) a line carries.
enum class Note : uint8_t
{
    None,
    CustomerInvoice,
    SupplierInvoice,
    GoodsSold,
    ServiceSold,
    GoodsBought,
    Vat,
    Retail,
    Export,
    OtherIncome,
    Return,
    Expense,
    Collection,
    Payment,
    CheckReceived,
    CheckGiven,
    BankFee,
    CashDeposit,
    CardSettlement,
    PosSlip,
    Interest,
    SalaryPaid,
    Payroll,
    VatOffset
};

enum class Pay : uint8_t
{
    None,
    Cash,
    Card,
    Transfer,
    Check
};

// One journal line in the compact form kept until the kebir is written: everything a line shows can be
// rebuilt from it, so the journal and the kebir print the same line from the same record.
struct Posting
{
    int64_t cents = 0;
    uint32_t counter = 0;    // yevmiye madde no
    uint32_t lineNumber = 0; // running line number of the year
    uint32_t voucher = 0;    // muhasebe fiş no
    uint32_t docNumber = 0;
    uint32_t aux = 0;      // check maturity in days, POS slip number
    uint16_t account = 0;  // index into Chart::accounts()
    int16_t partner = -1;  // customer or supplier account named by the document
    uint16_t quantity = 0; // > 0: the line carries a measurable and cents = quantity × unit price
    uint8_t day = 1;
    uint8_t docDay = 1;
    Dc dc = Dc::Debit;
    DocKind doc = DocKind::AccountingVoucher;
    Note note = Note::None;
    Pay pay = Pay::None;
};

// Held for every line of a part until its kebir is written, so it must stay a few tens of bytes.
static_assert(sizeof(Posting) <= 48);

enum class EntryKind : uint8_t
{
    Sale,
    Retail,
    Export,
    OtherIncome,
    SalesReturn,
    Purchase,
    Expense,
    CustomerCollection,
    CheckCollection,
    SupplierPayment,
    CheckPayment,
    BankFee,
    CashDeposit,
    CardSettlement,
    Interest,
    PosBatch,
    SalaryPayment,
    SalaryAccrual,
    VatOffset
};

struct Entry
{
    EntryKind kind = EntryKind::Sale;
    uint32_t counter = 0;
    uint32_t voucher = 0;
    int day = 1;
    int partner = -1;
    int clerk = 0;
    bool commented = true;
    std::vector<Posting> lines;

    int64_t debitTotal() const;
    int64_t creditTotal() const;
};

// Makes balanced journal entries of a small trading business, one at a time and in date order, continuing
// the year's entry and line numbering from the given starting values.
class EntryFactory
{
public:
    EntryFactory(const Chart& chart, const Taxpayer& taxpayer, Date periodStart, uint64_t seed, uint32_t firstCounter,
                 uint32_t firstLineNumber);

    EntryKind drawOrdinaryKind();
    // posLines: for EntryKind::PosBatch, the number of lines on the POS bank account.
    void make(EntryKind kind, int day, Entry& entry, uint32_t posLines = 0);

    uint32_t nextCounter() const { return m_counter; }
    uint32_t nextLineNumber() const { return m_lineNumber; }

private:
    void begin(Entry& entry, EntryKind kind, int day, DocKind doc, uint32_t docNumber, int docDay, int partner);
    Posting& add(Entry& entry, int account, int64_t cents, Dc dc, Note note, Pay pay = Pay::None);
    int64_t netAmount();
    int vatAccount(int rate, bool input) const;
    int drawVatRate();
    int pick(const std::vector<int>& accounts) { return accounts[m_rng.below(accounts.size())]; }

    void makeSale(Entry& e, int day);
    void makeRetail(Entry& e, int day);
    void makeExport(Entry& e, int day);
    void makeOtherIncome(Entry& e, int day);
    void makeSalesReturn(Entry& e, int day);
    void makePurchase(Entry& e, int day);
    void makeExpense(Entry& e, int day);
    void makeTransfer(Entry& e, EntryKind kind, int day);
    void makePosBatch(Entry& e, int day, uint32_t posLines);
    void makeSalaryAccrual(Entry& e, int day);
    void makeVatOffset(Entry& e, int day);

    const Chart& m_chart;
    const Taxpayer& m_taxpayer;
    Date m_start;
    Rng m_rng;
    uint32_t m_counter;
    uint32_t m_lineNumber;
    uint32_t m_voucher = 1;
    uint32_t m_ownInvoice;
    uint32_t m_statement = 1;
    uint32_t m_zReport;
    uint32_t m_ownCheck;
    uint32_t m_posSlip = 1;
    int m_employees;
    // Month movements per posting account, for the month-end VAT offset.
    std::vector<int64_t> m_debit;
    std::vector<int64_t> m_credit;
    // Current entry's document, copied into each line.
    DocKind m_doc = DocKind::AccountingVoucher;
    uint32_t m_docNumber = 0;
    int m_docDay = 1;
    int m_partner = -1;

    int m_cash, m_checksReceived, m_checksGiven, m_cardSlips, m_returns, m_interest, m_payable;
    int m_domesticSales, m_serviceSales, m_exportSales, m_rentIncome, m_scrapIncome, m_bankFees;
    int m_wages, m_employerShare, m_incomeTax, m_stampTax, m_vatPayable, m_vatCarried;
    int m_sgkEmployee, m_sgkEmployer, m_uiEmployee, m_uiEmployer;
};

} // namespace ledgergen
