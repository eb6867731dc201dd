// Keeps the library non-empty while its units are being added.
namespace Vcl {
int WinLayerVersion() { return 1; }
}  // namespace Vcl
