#!/usr/bin/env python3
"""Stand-in for the geocoding and forecast services on 127.0.0.1, for the end-to-end tests.

/v1/search answers every name with two places (the more populous one second, so the client's
sorting shows); /v1/forecast answers the current temperature TEMP observed now. Prints the port
it listens on, then one line per request."""
import datetime
import http.server
import json
import sys

TEMP = float(sys.argv[1]) if len(sys.argv) > 1 else -7.5


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path.startswith("/v1/search"):
            answer = {"results": [
                {"name": "Московский", "latitude": 55.6, "longitude": 37.35, "country": "Россия",
                 "admin1": "Москва", "population": 16000},
                {"name": "Москва", "latitude": 55.75222, "longitude": 37.61556, "country": "Россия",
                 "admin1": "Москва", "population": 10381222},
            ]}
        elif self.path.startswith("/v1/forecast"):
            now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M")
            answer = {"utc_offset_seconds": 0, "current_units": {"temperature_2m": "°C"},
                      "current": {"time": now, "temperature_2m": TEMP}}
        else:
            self.send_error(404)
            return
        body = json.dumps(answer, ensure_ascii=False).encode()
        self.send_response(200)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        print(self.path, flush=True)


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
