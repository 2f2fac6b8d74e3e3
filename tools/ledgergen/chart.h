#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ledgergen {

struct MainAccount
{
    std::string id;   // Tek Düzen code, "120"
    std::string name; // as ledgers write it, "ALICILAR"
};

// An account lines are posted to: a sub-account, or a main account that has none.
struct PostingAccount
{
    int main = 0;
    std::string subId; // empty: posted on the main account itself
    std::string subName;
    std::string series; // e-invoice series of a customer or supplier
    std::string unit;   // unit of measure of a goods account
};

// The taxpayer's chart of accounts. Posting accounts are kept in kebir order (main code, then sub code),
// so an account's index is also its place in the kebir.
class Chart
{
public:
    Chart(uint64_t seed, int domesticCustomers, int suppliers);

    const std::vector<MainAccount>& mains() const { return m_mains; }
    const std::vector<PostingAccount>& accounts() const { return m_accounts; }
    const MainAccount& mainOf(int account) const { return m_mains[m_accounts[account].main]; }
    // Index of the posting account with this sub code, or of the main account with this code.
    int find(std::string_view code) const;
    int mainIndex(std::string_view id) const;
    // The counterparty name of a customer or supplier account.
    const std::string& name(int account) const { return m_accounts[account].subName; }

    std::vector<int> domesticCustomers;
    std::vector<int> exportCustomers;
    std::vector<int> suppliers;
    std::vector<int> goods;
    std::vector<int> expenses;
    std::vector<int> banks;
    // A bank account that only card settlements reach, so that --big-account-lines can give it an exact count.
    int posBank = 0;

private:
    std::vector<MainAccount> m_mains;
    std::vector<PostingAccount> m_accounts;
};

} // namespace ledgergen
