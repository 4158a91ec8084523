// Placeholder until the report lands.
namespace tarel::reports {}
