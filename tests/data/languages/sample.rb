# Temperature readings.
class Thermometer
=begin
Readings are kept in memory
and never persisted.
=end
  def initialize
    @readings = []
  end

  def record(value) = @readings << value
end
