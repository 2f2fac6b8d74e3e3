#include "entries.h"

#include <algorithm>

namespace ledgergen {

namespace {

int64_t vatOf(int64_t net, int rate)
{
    return (net * rate + 50) / 100;
}

int64_t percentOf(int64_t amount, int64_t permyriad)
{
    return (amount * permyriad + 5000) / 10000;
}

} // namespace

int64_t Entry::debitTotal() const
{
    int64_t sum = 0;
    for (const Posting& p : lines) {
        if (p.dc == Dc::Debit) {
            sum += p.cents;
        }
    }
    return sum;
}

int64_t Entry::creditTotal() const
{
    int64_t sum = 0;
    for (const Posting& p : lines) {
        if (p.dc == Dc::Credit) {
            sum += p.cents;
        }
    }
    return sum;
}

EntryFactory::EntryFactory(const Chart& chart, const Taxpayer& taxpayer, Date periodStart, uint64_t seed,
                           uint32_t firstCounter, uint32_t firstLineNumber)
    : m_chart(chart), m_taxpayer(taxpayer), m_start(periodStart), m_rng(streamSeed(seed, "entries")),
      m_counter(firstCounter), m_lineNumber(firstLineNumber), m_debit(chart.accounts().size()),
      m_credit(chart.accounts().size())
{
    m_ownInvoice = uint32_t(firstCounter / 3 + m_rng.between(1, 40));
    m_zReport = uint32_t(firstCounter / 25 + m_rng.between(1, 9));
    m_ownCheck = uint32_t(m_rng.between(4100000, 4199000));
    m_employees = taxpayer.person ? 3 : 8;

    m_cash = chart.find("100.01");
    m_checksReceived = chart.find("101");
    m_checksGiven = chart.find("103");
    m_cardSlips = chart.find("108.01");
    m_returns = chart.find("610");
    m_interest = chart.find("642");
    m_payable = chart.find("335");
    m_domesticSales = chart.find("600.01");
    m_serviceSales = chart.find("600.02");
    m_exportSales = chart.find("601.01");
    m_rentIncome = chart.find("602.01");
    m_scrapIncome = chart.find("602.02");
    m_bankFees = chart.find("780.01");
    m_wages = chart.find("770.01");
    m_employerShare = chart.find("770.02");
    m_incomeTax = chart.find("360.01");
    m_stampTax = chart.find("360.02");
    m_vatPayable = chart.find("360.03");
    m_vatCarried = chart.find("190");
    m_sgkEmployee = chart.find("361.01");
    m_sgkEmployer = chart.find("361.02");
    m_uiEmployee = chart.find("361.03");
    m_uiEmployer = chart.find("361.04");
}

EntryKind EntryFactory::drawOrdinaryKind()
{
    struct Weighted
    {
        EntryKind kind;
        unsigned weight;
    };
    static constexpr Weighted table[] = {{EntryKind::Sale, 28},           {EntryKind::Retail, 8},
                                         {EntryKind::Export, 3},          {EntryKind::OtherIncome, 2},
                                         {EntryKind::SalesReturn, 2},     {EntryKind::Purchase, 18},
                                         {EntryKind::Expense, 10},        {EntryKind::CustomerCollection, 10},
                                         {EntryKind::CheckCollection, 3}, {EntryKind::SupplierPayment, 8},
                                         {EntryKind::CheckPayment, 2},    {EntryKind::BankFee, 3},
                                         {EntryKind::CashDeposit, 1},     {EntryKind::CardSettlement, 1},
                                         {EntryKind::Interest, 1}};
    unsigned roll = unsigned(m_rng.below(100));
    for (const Weighted& w : table) {
        if (roll < w.weight) {
            return w.kind;
        }
        roll -= w.weight;
    }
    return EntryKind::Sale;
}

void EntryFactory::make(EntryKind kind, int day, Entry& e, uint32_t posLines)
{
    switch (kind) {
    case EntryKind::Sale:
        makeSale(e, day);
        break;
    case EntryKind::Retail:
        makeRetail(e, day);
        break;
    case EntryKind::Export:
        makeExport(e, day);
        break;
    case EntryKind::OtherIncome:
        makeOtherIncome(e, day);
        break;
    case EntryKind::SalesReturn:
        makeSalesReturn(e, day);
        break;
    case EntryKind::Purchase:
        makePurchase(e, day);
        break;
    case EntryKind::Expense:
        makeExpense(e, day);
        break;
    case EntryKind::PosBatch:
        makePosBatch(e, day, std::max<uint32_t>(posLines, 1));
        break;
    case EntryKind::SalaryAccrual:
        makeSalaryAccrual(e, day);
        break;
    case EntryKind::VatOffset:
        makeVatOffset(e, day);
        break;
    default:
        makeTransfer(e, kind, day);
        break;
    }
    for (const Posting& p : e.lines) {
        (p.dc == Dc::Debit ? m_debit : m_credit)[p.account] += p.cents;
    }
}

void EntryFactory::begin(Entry& e, EntryKind kind, int day, DocKind doc, uint32_t docNumber, int docDay, int partner)
{
    e.kind = kind;
    e.counter = m_counter++;
    e.voucher = m_voucher++;
    e.day = day;
    e.partner = partner;
    e.clerk = int(m_rng.below(m_taxpayer.clerks.size()));
    // Month-end and payroll entries always carry a comment; some everyday ones do not.
    e.commented = kind >= EntryKind::SalaryPayment || !m_rng.chance(15);
    e.lines.clear();
    m_doc = doc;
    m_docNumber = docNumber;
    m_docDay = std::clamp(docDay, 1, day);
    m_partner = partner;
}

Posting& EntryFactory::add(Entry& e, int account, int64_t cents, Dc dc, Note note, Pay pay)
{
    Posting& p = e.lines.emplace_back();
    p.cents = cents;
    p.counter = e.counter;
    p.lineNumber = m_lineNumber++;
    p.voucher = e.voucher;
    p.docNumber = m_docNumber;
    p.account = uint16_t(account);
    p.partner = int16_t(m_partner);
    p.day = uint8_t(e.day);
    p.docDay = uint8_t(m_docDay);
    p.dc = dc;
    p.doc = m_doc;
    p.note = note;
    p.pay = pay;
    return p;
}

int64_t EntryFactory::netAmount()
{
    const unsigned roll = unsigned(m_rng.below(100));
    if (roll < 30) {
        return m_rng.between(10000, 100000);
    }
    if (roll < 75) {
        return m_rng.between(100000, 1000000);
    }
    if (roll < 97) {
        return m_rng.between(1000000, 10000000);
    }
    return m_rng.between(10000000, 100000000);
}

int EntryFactory::drawVatRate()
{
    const unsigned roll = unsigned(m_rng.below(100));
    return roll < 85 ? 20 : roll < 95 ? 10 : 1;
}

int EntryFactory::vatAccount(int rate, bool input) const
{
    const char* suffix = rate == 20 ? ".01" : rate == 10 ? ".02" : ".03";
    return m_chart.find(std::string(input ? "191" : "391") + suffix);
}

void EntryFactory::makeSale(Entry& e, int day)
{
    const int customer = pick(m_chart.domesticCustomers);
    begin(e, EntryKind::Sale, day, DocKind::SalesInvoice, m_ownInvoice++, day - int(m_rng.below(3)), customer);
    const bool service = m_rng.chance(10);
    const int rate = drawVatRate();
    uint16_t quantity = 0;
    int64_t net = 0;
    if (!service && m_rng.chance(40)) {
        quantity = uint16_t(m_rng.between(1, 400));
        net = quantity * m_rng.between(500, 80000);
    } else {
        net = netAmount() * 3 / 2;
    }
    const int64_t vat = vatOf(net, rate);
    add(e, customer, net + vat, Dc::Debit, Note::CustomerInvoice);
    add(e, service ? m_serviceSales : m_domesticSales, net, Dc::Credit, service ? Note::ServiceSold : Note::GoodsSold)
        .quantity = quantity;
    add(e, vatAccount(rate, false), vat, Dc::Credit, m_rng.chance(70) ? Note::Vat : Note::None);
}

void EntryFactory::makeRetail(Entry& e, int day)
{
    begin(e, EntryKind::Retail, day, DocKind::Receipt, m_zReport++, day, -1);
    const bool card = m_rng.chance(40);
    const int64_t net = m_rng.between(50000, 2500000);
    const int64_t vat = vatOf(net, 20);
    add(e, card ? m_cardSlips : m_cash, net + vat, Dc::Debit, Note::Retail, card ? Pay::Card : Pay::Cash);
    add(e, m_domesticSales, net, Dc::Credit, Note::Retail);
    add(e, vatAccount(20, false), vat, Dc::Credit, Note::Vat);
}

void EntryFactory::makeExport(Entry& e, int day)
{
    const int customer = pick(m_chart.exportCustomers);
    begin(e, EntryKind::Export, day, DocKind::SalesInvoice, m_ownInvoice++, day - int(m_rng.below(4)), customer);
    const uint16_t quantity = uint16_t(m_rng.between(20, 2000));
    const int64_t net = quantity * m_rng.between(500, 20000);
    add(e, customer, net, Dc::Debit, Note::CustomerInvoice);
    add(e, m_exportSales, net, Dc::Credit, Note::Export).quantity = quantity;
}

void EntryFactory::makeOtherIncome(Entry& e, int day)
{
    const int customer = pick(m_chart.domesticCustomers);
    begin(e, EntryKind::OtherIncome, day, DocKind::SalesInvoice, m_ownInvoice++, day, customer);
    const bool rent = m_rng.chance(50);
    const int64_t net = rent ? m_rng.between(1500000, 6000000) : m_rng.between(20000, 800000);
    const int64_t vat = vatOf(net, 20);
    add(e, customer, net + vat, Dc::Debit, Note::CustomerInvoice);
    add(e, rent ? m_rentIncome : m_scrapIncome, net, Dc::Credit, Note::OtherIncome);
    add(e, vatAccount(20, false), vat, Dc::Credit, Note::Vat);
}

void EntryFactory::makeSalesReturn(Entry& e, int day)
{
    const int customer = pick(m_chart.domesticCustomers);
    begin(e, EntryKind::SalesReturn, day, DocKind::ReturnInvoice, uint32_t(m_rng.between(1, 99999999)),
          day - int(m_rng.below(5)), customer);
    const int64_t net = m_rng.between(5000, 1500000);
    const int64_t vat = vatOf(net, 20);
    add(e, m_returns, net, Dc::Debit, Note::Return);
    add(e, vatAccount(20, false), vat, Dc::Debit, Note::Vat);
    add(e, customer, net + vat, Dc::Credit, Note::CustomerInvoice);
}

void EntryFactory::makePurchase(Entry& e, int day)
{
    const int supplier = pick(m_chart.suppliers);
    begin(e, EntryKind::Purchase, day, DocKind::PurchaseInvoice, uint32_t(m_rng.between(1, 999999999)),
          day - int(m_rng.below(6)), supplier);
    const int rate = m_rng.chance(90) ? 20 : 10;
    const int items = int(m_rng.between(1, 3));
    int64_t net = 0;
    for (int i = 0; i < items; ++i) {
        const int goods = pick(m_chart.goods);
        if (m_rng.chance(50)) {
            const uint16_t quantity = uint16_t(m_rng.between(5, 400));
            const int64_t amount = quantity * m_rng.between(150, 20000);
            add(e, goods, amount, Dc::Debit, Note::GoodsBought).quantity = quantity;
            net += amount;
        } else {
            const int64_t amount = netAmount() * 2 / 3;
            add(e, goods, amount, Dc::Debit, i == 0 || m_rng.chance(50) ? Note::GoodsBought : Note::None);
            net += amount;
        }
    }
    const int64_t vat = vatOf(net, rate);
    add(e, vatAccount(rate, true), vat, Dc::Debit, Note::Vat);
    add(e, supplier, net + vat, Dc::Credit, Note::SupplierInvoice);
}

void EntryFactory::makeExpense(Entry& e, int day)
{
    const int supplier = pick(m_chart.suppliers);
    begin(e, EntryKind::Expense, day, DocKind::PurchaseInvoice, uint32_t(m_rng.between(1, 999999999)),
          day - int(m_rng.below(10)), supplier);
    const int expense = pick(m_chart.expenses);
    const int64_t net = m_rng.between(3000, 1500000);
    const int64_t vat = vatOf(net, 20);
    const bool cash = m_rng.chance(30);
    add(e, expense, net, Dc::Debit, Note::Expense);
    add(e, vatAccount(20, true), vat, Dc::Debit, m_rng.chance(60) ? Note::Vat : Note::None);
    add(e, cash ? m_cash : supplier, net + vat, Dc::Credit, Note::SupplierInvoice, cash ? Pay::Cash : Pay::None);
}

void EntryFactory::makeTransfer(Entry& e, EntryKind kind, int day)
{
    const int bank = pick(m_chart.banks);
    switch (kind) {
    case EntryKind::CustomerCollection: {
        const bool abroad = m_rng.chance(15);
        const int customer = pick(abroad ? m_chart.exportCustomers : m_chart.domesticCustomers);
        begin(e, kind, day, DocKind::BankStatement, m_statement++, day, customer);
        const int64_t amount = netAmount() * 6 / 5;
        add(e, bank, amount, Dc::Debit, Note::Collection, Pay::Transfer);
        add(e, customer, amount, Dc::Credit, Note::Collection);
        break;
    }
    case EntryKind::CheckCollection: {
        const int customer = pick(m_chart.domesticCustomers);
        begin(e, kind, day, DocKind::Check, uint32_t(m_rng.between(1000000, 9999999)), day, customer);
        const int64_t amount = m_rng.between(500000, 20000000);
        add(e, m_checksReceived, amount, Dc::Debit, Note::CheckReceived, Pay::Check).aux =
            uint32_t(m_rng.between(30, 120));
        add(e, customer, amount, Dc::Credit, Note::CheckReceived);
        break;
    }
    case EntryKind::SupplierPayment: {
        const int supplier = pick(m_chart.suppliers);
        begin(e, kind, day, DocKind::BankStatement, m_statement++, day, supplier);
        const int64_t amount = netAmount() * 6 / 5;
        add(e, supplier, amount, Dc::Debit, Note::Payment);
        add(e, bank, amount, Dc::Credit, m_rng.chance(70) ? Note::Payment : Note::None, Pay::Transfer);
        break;
    }
    case EntryKind::CheckPayment: {
        const int supplier = pick(m_chart.suppliers);
        begin(e, kind, day, DocKind::OwnCheck, m_ownCheck++, day, supplier);
        const int64_t amount = m_rng.between(500000, 15000000);
        add(e, supplier, amount, Dc::Debit, Note::CheckGiven);
        add(e, m_checksGiven, amount, Dc::Credit, Note::CheckGiven, Pay::Check).aux = uint32_t(m_rng.between(30, 90));
        break;
    }
    case EntryKind::BankFee: {
        begin(e, kind, day, DocKind::BankStatement, m_statement++, day, -1);
        const int64_t amount = m_rng.between(500, 50000);
        add(e, m_bankFees, amount, Dc::Debit, Note::BankFee);
        add(e, bank, amount, Dc::Credit, Note::BankFee);
        break;
    }
    case EntryKind::CashDeposit: {
        begin(e, kind, day, DocKind::AccountingVoucher, 0, day, -1);
        const int64_t amount = m_rng.between(10, 200) * 100000;
        add(e, bank, amount, Dc::Debit, Note::CashDeposit, Pay::Cash);
        add(e, m_cash, amount, Dc::Credit, Note::CashDeposit);
        break;
    }
    case EntryKind::CardSettlement: {
        begin(e, kind, day, DocKind::CardSlip, uint32_t(m_rng.between(10000000, 99999999)), day, -1);
        const int64_t amount = m_rng.between(100000, 5000000);
        add(e, bank, amount, Dc::Debit, Note::CardSettlement, Pay::Card);
        add(e, m_cardSlips, amount, Dc::Credit, Note::CardSettlement);
        break;
    }
    case EntryKind::Interest: {
        begin(e, kind, day, DocKind::BankStatement, m_statement++, day, -1);
        const int64_t amount = m_rng.between(1000, 800000);
        add(e, bank, amount, Dc::Debit, Note::Interest);
        add(e, m_interest, amount, Dc::Credit, Note::Interest);
        break;
    }
    default: { // EntryKind::SalaryPayment: last month's net wages
        const int mainBank = m_chart.banks.front();
        begin(e, EntryKind::SalaryPayment, day, DocKind::BankStatement, m_statement++, day, -1);
        const int64_t amount = m_employees * m_rng.between(1800000, 3600000);
        add(e, m_payable, amount, Dc::Debit, Note::SalaryPaid);
        add(e, mainBank, amount, Dc::Credit, Note::SalaryPaid, Pay::Transfer);
        break;
    }
    }
}

void EntryFactory::makePosBatch(Entry& e, int day, uint32_t posLines)
{
    begin(e, EntryKind::PosBatch, day, DocKind::BankStatement, m_statement++, day, -1);
    int64_t total = 0;
    for (uint32_t i = 0; i < posLines; ++i) {
        const int64_t amount = m_rng.between(5000, 500000);
        add(e, m_chart.posBank, amount, Dc::Debit, Note::PosSlip, Pay::Card).aux = m_posSlip++;
        total += amount;
    }
    add(e, m_cardSlips, total, Dc::Credit, Note::CardSettlement);
}

void EntryFactory::makeSalaryAccrual(Entry& e, int day)
{
    begin(e, EntryKind::SalaryAccrual, day, DocKind::Payroll, 0, day, -1);
    int64_t gross = 0;
    for (int i = 0; i < m_employees; ++i) {
        gross += m_rng.between(2500000, 6000000);
    }
    // Simplified payroll rates (per ten thousand): employee SGK 14 %, unemployment 1 %, employer SGK 15.5 %,
    // employer unemployment 2 %, stamp tax 0.759 %, income tax 15 % of the base after employee shares.
    const int64_t sgkEmployee = percentOf(gross, 1400);
    const int64_t uiEmployee = percentOf(gross, 100);
    const int64_t sgkEmployer = percentOf(gross, 1550);
    const int64_t uiEmployer = percentOf(gross, 200);
    const int64_t stamp = percentOf(gross, 76);
    const int64_t incomeTax = percentOf(gross - sgkEmployee - uiEmployee, 1500);
    const int64_t net = gross - sgkEmployee - uiEmployee - stamp - incomeTax;
    add(e, m_wages, gross, Dc::Debit, Note::Payroll);
    add(e, m_employerShare, sgkEmployer + uiEmployer, Dc::Debit, Note::Payroll);
    add(e, m_payable, net, Dc::Credit, Note::Payroll);
    add(e, m_incomeTax, incomeTax, Dc::Credit, Note::None);
    add(e, m_stampTax, stamp, Dc::Credit, Note::None);
    add(e, m_sgkEmployee, sgkEmployee, Dc::Credit, Note::None);
    add(e, m_sgkEmployer, sgkEmployer, Dc::Credit, Note::None);
    add(e, m_uiEmployee, uiEmployee, Dc::Credit, Note::None);
    add(e, m_uiEmployer, uiEmployer, Dc::Credit, Note::None);
}

void EntryFactory::makeVatOffset(Entry& e, int day)
{
    begin(e, EntryKind::VatOffset, day, DocKind::AccountingVoucher, 0, day, -1);
    int64_t output = 0;
    int64_t input = 0;
    for (int rate : {20, 10, 1}) {
        const int account = vatAccount(rate, false);
        const int64_t balance = m_credit[account] - m_debit[account];
        if (balance > 0) {
            add(e, account, balance, Dc::Debit, Note::VatOffset);
            output += balance;
        }
    }
    for (int rate : {20, 10, 1}) {
        const int account = vatAccount(rate, true);
        const int64_t balance = m_debit[account] - m_credit[account];
        if (balance > 0) {
            add(e, account, balance, Dc::Credit, Note::VatOffset);
            input += balance;
        }
    }
    if (output > input) {
        add(e, m_vatPayable, output - input, Dc::Credit, Note::VatOffset);
    } else if (input > output) {
        add(e, m_vatCarried, input - output, Dc::Debit, Note::VatOffset);
    }
}

} // namespace ledgergen
