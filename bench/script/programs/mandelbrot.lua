-- Floats: a 256 x 256 Mandelbrot grid, at most 50 iterations a point. The
-- checksum is the count of points that stay inside.
local function grid()
  local total = 0
  for y = 0, 255 do
    local ci = y / 128.0 - 1.0
    for x = 0, 255 do
      local cr = x / 128.0 - 1.5
      local zr, zi = 0.0, 0.0
      local k = 0
      while k < 50 do
        local t = zr * zr - zi * zi + cr
        zi = 2.0 * zr * zi + ci
        zr = t
        if zr * zr + zi * zi > 4.0 then break end
        k = k + 1
      end
      if k == 50 then total = total + 1 end
    end
  end
  return total
end
local sum = 0
for rep = 0, 3 do sum = (sum + grid()) & 16777215 end
print(sum)
