// Anchor of the issue data library; the data itself comes from its subdirectories.
namespace { [[maybe_unused]] const int issue_anchor = 0; }
