// The shell's sources are added by the desktop application; this unit keeps the library
// non-empty until then.
namespace tavrel::shell {
int ShellVersion() { return 1; }
}  // namespace tavrel::shell
