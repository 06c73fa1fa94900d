#pragma once

#include <QString>
#include <memory>

// Two network namespaces, A and B, joined by a veth link and removed on destruction. Lets a test measure
// real traffic on an interface of its own without touching the machine's network. Needs root.
class VethPair {
public:
    // `inner` names A's end, which carries `innerCidr`; B's end carries `outerCidr`. Null, with the reason in
    // `why`, when namespaces cannot be made here.
    static std::unique_ptr<VethPair> create(const QString& inner, const QString& innerCidr, const QString& outerCidr,
                                            QString* why);
    ~VethPair();
    VethPair(const VethPair&) = delete;
    VethPair& operator=(const VethPair&) = delete;

    // Moves the calling thread into A or B, or back to where it was.
    void enterA();
    void enterB();
    void leave();

    // Sends `count` UDP datagrams of `size` payload bytes from A to B, and as many back from B to A.
    void exchange(int count, int size);

    // A shell command run inside A, for reading what the kernel counted.
    QString inA(const QString& command) const;
    // The same inside B, for setting what the peer does.
    QString inB(const QString& command) const;

private:
    VethPair() = default;
    bool setUp(const QString& inner, const QString& innerCidr, const QString& outerCidr, QString* why);
    void enter(const QString& ns);

    QString a_, b_, innerAddr_, outerAddr_;
    int home_ = -1;
};
